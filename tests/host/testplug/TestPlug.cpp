#include "TestPlug.h"

#include "WDL/IPlug/IControlStock.h"
#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/IPlugAU_ViewFactory.h"

#include <cstring>

TestPlug::TestPlug(IPlugInstanceInfo instanceInfo)
    : IPlugAU(instanceInfo, kNumTestParams, "0-1 0-2", kTestPlugPresets, "TestPlug", "",
              "Ostrevane", kTestPlugVersion, kTestPlugSubtype, kTestPlugMfr, 0, true, false, false,
              0) {
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 10.0, 0.01, "dB", "Main");
  GetParam(kMode)->InitEnum("Mode", 0, 3, "", "Main");
  GetParam(kMode)->SetDisplayText(0, "Off");
  GetParam(kMode)->SetDisplayText(1, "Soft");
  GetParam(kMode)->SetDisplayText(2, "Hard");
  GetParam(kNote)->InitInt("Note", 60, 0, 127, "", "Notes");
  GetParam(kSend)->InitBool("Send", false);
  // A group name in Latin-1, not UTF-8: the host must still get it as text.
  GetParam(kOffset)->InitInt("Offset", 0, 0, 4096, "smp", "D\xE9lai");
  GetParam(kWidth)->InitDouble("A rather long parameter name", 0.5, 0.0, 1.0, 0.01);

  MakePreset("Init", 1.0, 0, 60, false, 0, 0.5);
  MakePreset("Loud", 8.0, 2, 72, true, 16, 1.0);
  MakePreset("Quiet", 0.5, 1, 48, false, 100, 0.0);

  // A tiny editor: one panel over the whole view.
  if (IGraphics* g = MakeGraphics(this, kTestEditorW, kTestEditorH, 0)) {
    static const IColor kPanel(255, 40, 80, 120);
    g->AttachControl(new IPanelControl(this, IRECT(0, 0, kTestEditorW, kTestEditorH), &kPanel));
    AttachGraphics(g);
  }
}

TestPlug::~TestPlug() = default;

void TestPlug::Reset() {
  IMutexLock lock(this);
  ++mProbe.resets;
}

void TestPlug::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  if (paramIdx >= 0 && paramIdx < kNumTestParams) ++mProbe.paramChanges[paramIdx];
}

void TestPlug::OnActivate(bool active) {
  IMutexLock lock(this);
  ++mProbe.activations;
  mProbe.active = active;
}

void TestPlug::OnGUIOpen() {
  ++mProbe.guiOpens;
}

void TestPlug::OnHostIdentified() {
  ++mProbe.hostIdentified;
  mProbe.hostVersion = GetHostVersion(false);
}

void TestPlug::ProcessDoubleReplacing(double**, double** outputs, int nFrames) {
  for (int c = 0; c < NOutChannels(); ++c)
    if (outputs[c]) memset(outputs[c], 0, sizeof(double) * (size_t)nFrames);
  ++mProbe.blocks;
  mProbe.lastFrames = nFrames;
  mProbe.tempo = GetTempo();
  mProbe.samplePos = GetSamplePos();
  GetTimeSig(&mProbe.tsNum, &mProbe.tsDenom);
  mProbe.timeInfo = ITimeInfo();
  GetTime(&mProbe.timeInfo);
  if (GetParam(kSend)->Bool() && mProbe.timeInfo.mTransportIsRunning && nFrames > 0) {
    int offset = GetParam(kOffset)->Int();
    if (offset >= nFrames) offset = nFrames - 1;
    IMidiMsg msg(offset, 0x90, (uint8_t)GetParam(kNote)->Int(), 100);
    SendMidiMsg(&msg);
  }
}

void TestPlug::ProcessMidiMsg(IMidiMsg* pMsg) {
  if (mProbe.nMidiIn < TestPlugProbe::kMaxMidi) mProbe.midiIn[mProbe.nMidiIn++] = *pMsg;
  IPlugAU::ProcessMidiMsg(pMsg); // echoes it to the host
}

bool TestPlug::SerializeState(ByteChunk* pChunk) {
  return !mProbe.failSerialize && IPlugAU::SerializeState(pChunk);
}

void TestPlug::ProcessSysEx(ISysEx* pSysEx) {
  ++mProbe.nSysEx;
  mProbe.lastSysExSize = pSysEx->mSize;
}

IPlugAU* MakePlug(void* memory) {
  return IPlugAUMakePlug<TestPlug>(memory, kTestPlugBundleID, "TestPlug_View");
}

IPLUG_AU_EXPORTS(TestPlug, TestPlug)
IPLUG_AU_VIEW_FACTORY(TestPlug, "TestPlug View")
