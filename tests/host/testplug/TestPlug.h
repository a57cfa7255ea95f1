#pragma once
// A small MIDI plug-in for the binding's tests: a few parameters of every kind, three factory
// presets, MIDI echo, and a note sent per block while the transport runs. What it saw is kept
// in plain fields that a test reads through the plug-in's address (property -101).

#include "WDL/IPlug/IPlugAU.h"

enum ETestParams { kGain = 0, kMode, kNote, kSend, kOffset, kWidth, kNumTestParams };

constexpr int kTestPlugPresets = 4; // one is never filled and is pruned at open
constexpr int kTestPlugVersion = 0x00010203;
constexpr int kTestPlugSubtype = 0x54737450; // 'TstP'
constexpr int kTestPlugMfr = 0x5A76656B;     // 'Zvek'
constexpr const char* kTestPlugBundleID = "com.Ostrevane.audiounit.TestPlug";
constexpr int kTestEditorW = 120, kTestEditorH = 80; // pixels

struct TestPlugProbe {
  static constexpr int kMaxMidi = 16;
  int resets = 0;
  int activations = 0;
  bool active = false;
  int hostIdentified = 0;
  int guiOpens = 0;
  int hostVersion = -1; // as identified last
  int paramChanges[kNumTestParams] = {};
  int blocks = 0;
  int lastFrames = -1;
  IMidiMsg midiIn[kMaxMidi];
  int nMidiIn = 0;
  int nSysEx = 0, lastSysExSize = -1;
  bool failSerialize = false; // SerializeState answers false
  // What the time queries answered during the last block.
  double tempo = 0;
  int samplePos = -1;
  int tsNum = -1, tsDenom = -1;
  ITimeInfo timeInfo;
};

class TestPlug : public IPlugAU {
public:
  explicit TestPlug(IPlugInstanceInfo instanceInfo);
  ~TestPlug() override;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void OnActivate(bool active) override;
  void OnHostIdentified() override;
  void OnGUIOpen() override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(IMidiMsg* pMsg) override;
  void ProcessSysEx(ISysEx* pSysEx) override;
  bool SerializeState(ByteChunk* pChunk) override;

  TestPlugProbe mProbe;
};
