// What a change of each parameter does.

#include "engine_double.h"

#include <gtest/gtest.h>

namespace {

struct Fresh : TestEngine {
  Fresh() { srand(1); }
  // A press and release of a contact button in the editor: 1, then 0.
  void Click(int idx) {
    SetParameterFromGUI(idx, 1.0);
    SetParameterFromGUI(idx, 0.0);
  }
};

TEST(EngineDispatch, NoteLengthSettings) {
  Fresh e;
  const int ticks[] = {7, 15, 30, 60, 120, 160, 240, 480};
  for (int setting = 8; setting >= 1; --setting) {
    e.SetParam(kNoteLength, setting);
    EXPECT_EQ(e.mNoteLength, ticks[setting - 1]) << setting;
    EXPECT_EQ(e.mNoteLengthSetting, setting);
  }
  // The same setting again leaves the length alone.
  e.mNoteLength = 999;
  e.SetParam(kNoteLength, 1);
  EXPECT_EQ(e.mNoteLength, 999);
}

TEST(EngineDispatch, SwitchesAndKnobs) {
  Fresh e;
  e.SetParam(kLevelKnob, 100); // rests off: the knob does nothing
  EXPECT_EQ(e.mRestLevel, 64);
  e.SetParam(kEffectRests, 1);
  EXPECT_TRUE(e.mRestsOn);
  EXPECT_TRUE(e.mEditRests);
  e.SetParam(kLevelKnob, 100);
  EXPECT_EQ(e.mRestLevel, 100);
  e.SetParam(kEffectRests, 0);
  EXPECT_FALSE(e.mRestsOn);
  e.SetParam(kLevelKnob, 10);
  EXPECT_EQ(e.mRestLevel, 100);

  e.SetParam(kScaleOrChord, 1);
  EXPECT_TRUE(e.chordChooserShown);
  e.SetParam(kScaleOrChord, 0);
  EXPECT_FALSE(e.chordChooserShown);
  e.SetParam(kInputRhythmWithMidi, 1);
  EXPECT_TRUE(e.mMidiRhythm);
  e.SetParam(kInputRhythmWithMidi, 0);
  EXPECT_FALSE(e.mMidiRhythm);
}

TEST(EngineDispatch, ButtonsActOncePerPress) {
  Fresh e;
  e.Click(kZoomIn);
  e.Click(kZoomIn);
  e.Click(kZoomOut);
  e.Click(kClearPool);
  EXPECT_EQ(e.zoomIns, 2);
  EXPECT_EQ(e.zoomOuts, 1);
  EXPECT_EQ(e.menuClears, 1);
}

TEST(EngineDispatch, AnOctaveSwitchedOnTwiceIsAppliedOnce) {
  Fresh e;
  e.SetParam(kScalesDropdown, 0); // C major: 8 notes
  ASSERT_EQ(e.mNotePool.size(), 8u);
  e.OnParamChange(kOctaveZero); // on already, as at a host's initialisation
  EXPECT_EQ(e.mNotePool.size(), 8u);
  e.SetParam(kOctaveZero + 1, 1);
  ASSERT_EQ(e.mNotePool.size(), 15u);
  e.SetParam(kOctaveZero + 1, 1);
  EXPECT_EQ(e.mNotePool.size(), 15u);
  e.SetParam(kOctaveZero + 1, 0);
  e.SetParam(kOctaveZero + 1, 1);
  EXPECT_EQ(e.mNotePool.size(), 15u);
}

TEST(EngineDispatch, InertAndOutOfRangeIndices) {
  Fresh e;
  const int inert[] = {kSave,
                       kCopy,
                       kLoad,
                       kSelectNotes,
                       kQuantize,
                       20,
                       21,
                       25,
                       kEffectUpward,
                       kEffectDownward,
                       kEffectChordSpread,
                       32,
                       kEffectNoteProbability,
                       kEffectPitchShift,
                       kShowKeyboard,
                       kLockMode,
                       kLiveMode,
                       kNoteDropdown,
                       41,
                       44,
                       45,
                       kEditEffectUpward,
                       kEditEffectDownward,
                       kEditEffectPitchShift,
                       kEditEffectNoteProbability,
                       kEditEffectRests,
                       kEditEffectChordSpread,
                       kAccuracyKnob,
                       54};
  for (int idx : inert) {
    e.SetParam(idx, 1);
    e.OnParamChange(idx);
  }
  e.OnParamChange(-1);
  e.OnParamChange(55);
  e.OnParamChange(1000);
  EXPECT_FALSE(e.mLiveMode);
  EXPECT_FALSE(e.mSelectMode);
  EXPECT_FALSE(e.mRestsOn);
  EXPECT_EQ(e.mNoteLength, 30);
  EXPECT_EQ(e.mRestLevel, 64);
  EXPECT_EQ(e.zoomIns + e.zoomOuts + e.menuClears + e.lockAlls + e.unlockAlls, 0);
  EXPECT_TRUE(e.mMelody.empty());
}

TEST(EngineDispatch, RhythmChooserWithoutAChoiceClearsTheIndex) {
  Fresh e;
  e.mRhythmIndex = 4;
  e.SetParam(kRhythmsDropdown, 4);
  EXPECT_EQ(e.mRhythmIndex, -2);
  // A value at the table's size is not a rhythm, even from the editor.
  e.rhythmChosen = true;
  e.SetParameterFromGUI(kRhythmsDropdown, 1.0);
  EXPECT_EQ(e.GetParam(kRhythmsDropdown)->Value(), 13);
  EXPECT_EQ(e.mRhythmIndex, -2);
  EXPECT_TRUE(e.mMelody.empty());
}

TEST(EngineDispatch, BarsKnobThroughTheEditor) {
  Fresh e;
  e.SetParameterFromGUI(kNumberOfBars, 3.0 / 9.0); // 1 + 3/9 x 9 = 4
  EXPECT_EQ(e.GetActiveBars(), 4);
  EXPECT_EQ(e.mLoopLength, 4 * 88200);
  EXPECT_EQ(e.mNumBars, 1);
}

} // namespace
