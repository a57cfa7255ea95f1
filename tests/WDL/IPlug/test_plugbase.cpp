#include "WDL/IPlug/IGraphics.h"
#include "WDL/IPlug/gui/headless_graphics.h"
#include "WDL/IPlug/IPlugBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "WDL/lice/lice.h"
#include "plugbase_test_plug.h"

namespace {

TEST(PlugBase, ConstructionIdentityAndVersions) {
  TestPlug plug;
  EXPECT_EQ((std::vector<int>{plug.NInChannels(), plug.NOutChannels(), plug.NParams(),
                              plug.NPresets(), plug.GetHost(), plug.GetBlockSize()}),
            (std::vector<int>{0, 2, 55, 8, kHostUninit, 0}));
  EXPECT_STREQ(plug.GetEffectName(), "Quorlen-VUDE");
  EXPECT_STREQ(plug.GetMfrName(), "Ostrevane");
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_STREQ(plug.GetPresetName(7), "empty");
  EXPECT_STREQ(plug.GetPresetName(8), "");
  char str[32];
  plug.GetHostVersionStr(str);
  EXPECT_STREQ(str, "v0.0.0");
  EXPECT_STREQ(plug.GetEffectVersionStr(str), "v1.0.4D");
  EXPECT_EQ(plug.GetEffectVersion(true), 10004);
  EXPECT_FALSE(plug.MidiNoteName(60, str));
  EXPECT_STREQ(str, "");
  plug.SetHost("REAPER64", 0x20103);
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(true), 20103);

  GetVersionStr(static_cast<int>(0xFFFFFFFFu), str); // the major field is unsigned
  EXPECT_STREQ(str, "v65535.255.255");
  EXPECT_EQ(GetDecimalVersion(static_cast<int>(0x80000102u)), 327680102);
  // Names longer than the field are cut, never overrun.
  const std::string longName(300, 'n');
  TestPlug other(0, nullptr, 0, true, longName.c_str(), static_cast<EAPI>(9));
  EXPECT_EQ(std::strlen(other.GetEffectName()), 127u);
  EXPECT_STREQ(other.GetProductName(), "");
  EXPECT_STREQ(other.GetAPIString(), "");
  EXPECT_FALSE(other.LegalIO(-1, -1));
}

TEST(PlugBase, ChannelStrings) {
  struct Case {
    const char* io;
    int nIn, nOut;
    std::vector<std::pair<int, int>> legal, illegal;
  };
  const Case cases[] = {
      {"0-1 0-2", 0, 2, {{0, 2}, {-1, 1}, {0, -1}, {0, 1}}, {{1, 2}, {0, 3}}},
      {"1-1 2-2", 2, 2, {{1, 1}, {2, -1}}, {{1, 2}, {3, 3}}},
      {"0-1  0-2", 0, 2, {{0, 2}}, {{0, 0}}}, // the doubled blank counts the next pair twice
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.io);
    TestPlug plug(1, c.io, 0);
    EXPECT_EQ(plug.NInChannels(), c.nIn);
    EXPECT_EQ(plug.NOutChannels(), c.nOut);
    for (auto& p : c.legal) EXPECT_TRUE(plug.LegalIO(p.first, p.second));
    for (auto& p : c.illegal) EXPECT_FALSE(plug.LegalIO(p.first, p.second));
  }
  EXPECT_DEATH(TestPlug(1, "0-1 ", 0), "channelIOStrValid");
}

TEST(PlugBase, FloatAndDoubleProcessingAccumulateAndBypass) {
  TestPlug plug(1, "2-2", 0);
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float in0[4] = {1, 2, 3, 4}, in1[4] = {5, 6, 7, 8};
  float out0[4] = {0.5f, 0.5f, 0.5f, 0.5f}, out1[4] = {};
  float* ins[] = {in0, in1};
  float* outs[] = {out0, out1};
  plug.AttachInputBuffers(0, 2, ins, 4);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffersAccumulating(0.0f, 4);
  EXPECT_EQ(out0[3], 4.5f);
  EXPECT_EQ(out1[0], 5.0f);
  plug.ProcessBuffers(0.0f, 1000); // clamped to the block size
  EXPECT_EQ(out0[0], 1.0f);
  plug.PassThroughBuffers(0.0f, 4);
  EXPECT_EQ(out1[3], 8.0f);
  // Unconnected input 1 reads its scratch buffer: the last input converted into it.
  plug.SetInputChannelConnections(1, 1, false);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out1[2], 7.0f);
  EXPECT_FALSE(plug.IsInChannelConnected(-1));

  TestPlug silent; // no inputs: the base and the bypass path write silence
  silent.SetBlockSize(8);
  silent.SetOutputChannelConnections(0, 2, true);
  std::vector<double> o0(8, 9.0), o1(8, 9.0);
  double* douts[] = {o0.data(), o1.data()};
  silent.AttachOutputBuffers(0, 2, douts);
  silent.PassThroughBuffers(0.0, 8);
  EXPECT_EQ(o0, std::vector<double>(8, 0.0));
  EXPECT_EQ(o1, std::vector<double>(8, 0.0));
}

TEST(PlugBase, BlockSizeChangeKeepsSlotsValid) {
  TestPlug plug(1, "4-4", 0);
  plug.SetInputChannelConnections(0, 4, true);
  plug.SetOutputChannelConnections(0, 4, true);
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsOutChannelConnected(1));
  EXPECT_FALSE(plug.IsOutChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(3));
  plug.SetInputChannelConnections(-1, 3, false); // refused
  EXPECT_TRUE(plug.IsInChannelConnected(0));

  plug.SetBlockSize(16);
  plug.SetBlockSize(4096); // reallocates: unconnected slots must follow
  float buf[4][4096] = {};
  float* io[] = {buf[0], buf[1], buf[2], buf[3]};
  plug.AttachInputBuffers(0, 4, io, 4096);
  plug.AttachOutputBuffers(0, 4, io);
  plug.ProcessBuffers(0.0f, 4096); // under ASan: no access to released storage
  plug.ZeroScratchBuffers();
}

TEST(PlugBase, LabelsTempoAndDelay) {
  TestPlug plug(1, "1-2", 0);
  plug.SetInputBusLabel(2, "x");
  plug.SetInputBusLabel(1, "first");
  plug.SetInputBusLabel(0, "second");
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "second");
  EXPECT_EQ(plug.GetInputBusLabel(1), nullptr);
  plug.SetOutputBusLabel(-1, "no");
  EXPECT_EQ(plug.GetOutputBusLabel(0), nullptr);
  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.tempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);

  NChanDelayLine delay(1, 1);
  double in[5] = {1, 2, 3, 4, 5}, out[5];
  double* pIn = in;
  double* pOut = out;
  delay.SetDelayTime(3);
  delay.ProcessBlock(&pIn, &pOut, 5);
  EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 0, 0, 1, 2}));
  delay.SetDelayTime(0); // passes audio through
  delay.ProcessBlock(&pIn, &pOut, 5);
  EXPECT_EQ(out[4], 5.0);
}

TEST(PlugBase, ParameterFromGUIAndMidi) {
  TestPlug plug;
  plug.SetParameterFromGUI(1, 0.47); // int 0-10: 4.7 rounds to 5
  EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
  ASSERT_EQ(plug.hostNotices.size(), 1u);
  EXPECT_EQ(plug.hostNotices[0].value, 0.47);
  EXPECT_TRUE(plug.hostNotices[0].mutexHeld);
  EXPECT_EQ(plug.paramChanges, std::vector<int>{1});
  EXPECT_EQ(plug.paramChangeLocked, std::vector<bool>{true});
  EXPECT_FALSE(plug.MutexHeld());
  plug.SetParameterFromGUI(55, 0.5);
  plug.SetParameterFromGUI(-1, 0.5);
  plug.DirtyParameters();
  ASSERT_EQ(plug.hostNotices.size(), 56u);
  EXPECT_EQ(plug.hostNotices[4].value, plug.GetParam(3)->GetNormalized());
  EXPECT_TRUE(plug.hostNotices[55].mutexHeld);

  IMidiMsg msg(3, 0x90, 60, 100);
  plug.ProcessMidiMsg(&msg);
  WDL_TypedBuf<IMidiMsg> msgs;
  for (int i = 1; i <= 3; ++i) msgs.Add(IMidiMsg(i, 0x90, i, 1));
  plug.failMidiAt = 2; // the second of the three
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  ASSERT_EQ(plug.sentMidi.size(), 4u); // the third is still sent
  EXPECT_EQ(plug.sentMidi[0].mData1, 60);
  plug.failMidiAt = -1;
  msgs.Resize(0);
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
}

class RecordingControl : public IControl {
public:
  RecordingControl(IPlugBase* pPlug, int paramIdx, std::vector<std::string>* pLog)
      : IControl(pPlug, IRECT(0, 0, 10, 10), paramIdx), mLog(pLog) {}
  ~RecordingControl() override { mLog->push_back("control deleted"); }
  bool Draw(IGraphics*) override { return true; }

private:
  std::vector<std::string>* mLog;
};

// Records what the base asks of its graphics object.
class RecordingGraphics : public HeadlessGraphics {
public:
  RecordingGraphics(TestPlug* pPlug, std::vector<std::string>* pLog)
      : HeadlessGraphics(pPlug, 710, 365, 0), mTestPlug(pPlug), mLog(pLog) {}
  ~RecordingGraphics() override {
    // The plug-in still holds its parameters while its editor goes.
    mLog->push_back(mTestPlug->GetParam(0) ? "graphics deleted first" : "too late");
  }
  void PrepDraw() override {
    IGraphics::PrepDraw();
    mLog->push_back("prep " + std::to_string(mDrawBitmap->getWidth()) + "x" +
                    std::to_string(mDrawBitmap->getHeight()) + " " +
                    std::to_string(mTmpBitmap->getWidth()));
  }
  void SetParameterFromPlug(int idx, double value, bool normalized) override {
    IGraphics::SetParameterFromPlug(idx, value, normalized);
    ++pushes;
    lastNormalized = normalized;
    mutexHeld = mTestPlug->MutexHeld();
    attachedTooEarly = attachedTooEarly || mTestPlug->GetGUI();
  }

  int pushes = 0;
  bool lastNormalized = false, mutexHeld = false, attachedTooEarly = false;

private:
  TestPlug* mTestPlug;
  std::vector<std::string>* mLog;
};

TEST(PlugBase, AttachGraphicsRedrawAndDeleteFirst) {
  std::vector<std::string> log;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    plug.GetParam(3)->Set(0.5); // double -1..1: normalised 0.75
    RecordingGraphics* pGraphics = new RecordingGraphics(&plug, &log);
    RecordingControl* pBound = new RecordingControl(&plug, 3, &log);
    RecordingControl* pAux = new RecordingControl(&plug, -1, &log);
    pAux->AddAuxParam(1);
    pGraphics->AttachControl(pBound);
    pGraphics->AttachControl(pAux);
    plug.AttachGraphics(pGraphics);
    EXPECT_EQ(pGraphics->pushes, 55);
    EXPECT_TRUE(pGraphics->lastNormalized && pGraphics->mutexHeld);
    EXPECT_FALSE(pGraphics->attachedTooEarly);
    EXPECT_EQ(plug.GetGUI(), pGraphics);
    EXPECT_EQ(log, std::vector<std::string>{"prep 710x365 0"});
    EXPECT_EQ(pBound->GetValue(), 0.75);

    plug.GetParam(3)->Set(-1.0);
    plug.GetParam(1)->Set(5.0);
    pBound->SetClean();
    plug.RedrawParamControls(); // plain values, normalised by the graphics object
    EXPECT_FALSE(pGraphics->lastNormalized);
    EXPECT_EQ(pBound->GetValue(), 0.0);
    EXPECT_TRUE(pBound->IsDirty());
    EXPECT_EQ(pAux->GetAuxParam(0)->mValue, 0.5);
  }
  EXPECT_EQ(log[1], "graphics deleted first");
  EXPECT_EQ(log[2], "control deleted");
}

} // namespace
