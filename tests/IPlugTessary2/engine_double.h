#pragma once
// The engine with a scripted host and a recording editor: tempo, meter and transport come from
// public fields, every MIDI message sent is logged with its block and offset, and the engine's
// calls into the piano roll, keyboard and choosers are recorded instead of drawn.
//
// Construct, then seed rand() yourself: the constructor seeds it from the clock.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <PlatformTestHooks.h>

#include "IPlugTessary2/IPlugTessary2.h"

struct SentMidi {
  int block, offset;
  uint8_t status, data1, data2;
  bool operator==(const SentMidi& o) const {
    return block == o.block && offset == o.offset && status == o.status && data1 == o.data1 &&
           data2 == o.data2;
  }
};

inline void PrintTo(const SentMidi& m, std::ostream* os) {
  char buf[64];
  snprintf(buf, sizeof buf, "{block %d, offset %d, %02X %d %d}", m.block, m.offset, m.status,
           m.data1, m.data2);
  *os << buf;
}

// A note as the piano roll would hold it: ticks from the loop start.
struct RollNote {
  int value, ticks, length;
  bool locked;
  bool operator==(const RollNote& o) const {
    return value == o.value && ticks == o.ticks && length == o.length && locked == o.locked;
  }
};

class TestEngine : public IPlugTessary2 {
public:
  explicit TestEngine(double sampleRate = 44100.0, int blockSize = 512)
      : IPlugTessary2(MakeInfo()) {
    SetSampleRate(sampleRate);
    SetBlockSize(blockSize);
    Reset();
  }

  // Also registers the built bundle, whose images the editor loads during construction.
  static IPlugInstanceInfo MakeInfo() {
    PlatformTest_RegisterBundle("com.Ostrevane.audiounit.Quorlen-VUDE",
                                QV_BINARY_DIR "/Quorlen-VUDE.component");
    IPlugInstanceInfo info;
    info.mOSXBundleID.Set("com.Ostrevane.audiounit.Quorlen-VUDE", 0);
    info.mCocoaViewFactoryClassName.Set("IPlugTessary2_View", 0);
    return info;
  }

  // ---- The scripted host ----
  double hostTempo = 120.0; // reported only when above 0, as a host binding does
  int hostNumerator = 4;
  bool playing = false;
  int block = 0; // blocks rendered so far
  std::vector<SentMidi> sent;

  double GetTempo() override { return hostTempo > 0.0 ? hostTempo : lastTempo; }
  void GetTime(ITimeInfo* pTI) override {
    if (hostTempo > 0.0) lastTempo = pTI->mTempo = hostTempo;
    pTI->mNumerator = hostNumerator;
    pTI->mTransportIsRunning = playing;
  }
  bool SendMidiMsg(IMidiMsg* pMsg) override {
    sent.push_back({block, pMsg->mOffset, pMsg->mStatus, pMsg->mData1, pMsg->mData2});
    return true;
  }

  // One host block, under the plug-in mutex as the binding calls it.
  void Render(int nFrames) {
    {
      IMutexLock lock(this);
      ProcessDoubleReplacing(nullptr, nullptr, nFrames);
    }
    ++block;
  }
  void MidiIn(uint8_t status, uint8_t d1, uint8_t d2, int offset = 0) {
    IMidiMsg msg(offset, status, d1, d2);
    IMutexLock lock(this);
    ProcessMidiMsg(&msg);
  }
  // A parameter change from the host: value stored (clamped), then dispatched.
  void SetParam(int idx, double value) {
    IMutexLock lock(this);
    GetParam(idx)->Set(value);
    OnParamChange(idx);
  }

  // ---- The recording editor ----
  std::vector<RollNote> roll; // FreshGrid empties it, AddNote appends
  int freshGrids = 0, keyStripDraws = 0, keyboardShows = 0, keyboardDirty = 0;
  int lockAlls = 0, unlockAlls = 0, zoomIns = 0, zoomOuts = 0, menuClears = 0;
  int zoomTo = 0;
  bool chordChooserShown = false;
  bool rhythmChosen = false; // what the rhythm chooser's IsSelected answers
  double tapValue = 0.0;     // the tap button's value
  int keyboardKey = -1;

  void RollFreshGrid() override {
    ++freshGrids;
    roll.clear();
  }
  void RollAddNote(int value, int ticks, int length, bool locked) override {
    roll.push_back({value, ticks, length, locked});
  }
  void RollDrawKeyboard() override { ++keyStripDraws; }
  void RollLockAll(bool lock) override {
    ++(lock ? lockAlls : unlockAlls);
    for (RollNote& n : roll) n.locked = lock;
  }
  void RollZoom(bool in) override { ++(in ? zoomIns : zoomOuts); }
  void RollZoomTo(int bars) override { zoomTo = bars; }
  void KeyboardShowChosenKeys() override { ++keyboardShows; }
  void KeyboardMarkDirty() override { ++keyboardDirty; }
  void ClearChooserMenus() override { ++menuClears; }
  void ShowChordChooser(bool chords) override { chordChooserShown = chords; }
  bool RhythmChooserHasChoice() override { return rhythmChosen; }
  double TapButtonValue() override { return tapValue; }
  int KeyboardKey() override { return keyboardKey; }

  // ---- Engine state, for the tests ----
  using IPlugTessary2::BarsForKnob;
  using IPlugTessary2::ChangeBarCount;
  using IPlugTessary2::CommitPendingBars;
  using IPlugTessary2::DeriveTiming;
  using IPlugTessary2::FollowHostTempo;
  using IPlugTessary2::GridStep;
  using IPlugTessary2::MelodyEndKey;
  using IPlugTessary2::TapAt;
  using IPlugTessary2::TapQuantizedPosition;

  using IPlugTessary2::mActiveBars;
  using IPlugTessary2::mChordIndex;
  using IPlugTessary2::mChosenKeys;
  using IPlugTessary2::mCurrentTempo;
  using IPlugTessary2::mDisplayLoopLength;
  using IPlugTessary2::mEditorGraphics;
  using IPlugTessary2::mEditRests;
  using IPlugTessary2::mExplicitNotes;
  using IPlugTessary2::mExportFolder;
  using IPlugTessary2::mGridPerBeat;
  using IPlugTessary2::mHeldNotes;
  using IPlugTessary2::mImplicitNotes;
  using IPlugTessary2::mKeyDown;
  using IPlugTessary2::mKeyStates;
  using IPlugTessary2::mLiveMode;
  using IPlugTessary2::mLoopLength;
  using IPlugTessary2::mMelody;
  using IPlugTessary2::mMidiQueue;
  using IPlugTessary2::mMidiRhythm;
  using IPlugTessary2::mNoteLength;
  using IPlugTessary2::mNoteLengthSetting;
  using IPlugTessary2::mNotePool;
  using IPlugTessary2::mNumBars;
  using IPlugTessary2::mNumKeysHeld;
  using IPlugTessary2::mPendingBars;
  using IPlugTessary2::mPosition;
  using IPlugTessary2::mQuantize;
  using IPlugTessary2::mRestLevel;
  using IPlugTessary2::mRestsOn;
  using IPlugTessary2::mRhythmIndex;
  using IPlugTessary2::mSampleRate;
  using IPlugTessary2::mSamplesPerBar;
  using IPlugTessary2::mSamplesPerBeat;
  using IPlugTessary2::mScaleIndex;
  using IPlugTessary2::mSelectMode;
  using IPlugTessary2::mSounding;
  using IPlugTessary2::mTapLatch;
  using IPlugTessary2::mTicksPerQuarter;
  using IPlugTessary2::mTimeInfo;

private:
  double lastTempo = 120.0;
};

// The engine as a host runs it, its editor real and unrecorded; rand() seeded to 1.
class HostedPlug : public IPlugTessary2 {
public:
  HostedPlug() : IPlugTessary2(TestEngine::MakeInfo()) { srand(1); }
  IGraphics* Editor() { return mEditorGraphics; }
};
