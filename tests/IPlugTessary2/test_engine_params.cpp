// The host-visible face of a fresh engine: parameters, presets, identity and the dispatch.

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "engine_double.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct ParamRow {
  int idx;
  const char* name;
  IParam::EParamType type;
  double value, min, max;
  const char* label;
};

constexpr auto B = IParam::kTypeBool;
constexpr auto I = IParam::kTypeInt;
constexpr auto N = IParam::kTypeNone;
const double kScales = 240, kChords = 348, kRhythms = 13;

const ParamRow kParams[] = {
    {0, "Save", B, 0, 0, 1, "images"},
    {1, "Copy", B, 0, 0, 1, "images"},
    {2, "Load", B, 0, 0, 1, "images"},
    {3, "SelectNotes", B, 0, 0, 1, "images"},
    {4, "", N, 0, 0, 1, ""},
    {5, "", N, 0, 0, 1, ""},
    {6, "", N, 0, 0, 1, ""},
    {7, "RhythmInput", B, 0, 0, 1, ""},
    {8, "OctaveNegative4", B, 0, 0, 1, "images"},
    {9, "OctaveNegative3", B, 0, 0, 1, "images"},
    {10, "OctaveNegative2", B, 0, 0, 1, "images"},
    {11, "OctaveNegative1", B, 0, 0, 1, "images"},
    {12, "OctaveZero", B, 1, 0, 1, "images"},
    {13, "OctavePositive1", B, 0, 0, 1, "images"},
    {14, "OctavePositive2", B, 0, 0, 1, "images"},
    {15, "OctavePositive3", B, 0, 0, 1, "images"},
    {16, "OctavePositive4", B, 0, 0, 1, "images"},
    {17, "NoteLength", I, 3, 1, 8, ""},
    {18, "Quantize", I, 1, 1, 8, "button"},
    {19, "NumberOfBars", I, 1, 1, 10, ""},
    {20, "", N, 0, 0, 1, ""},
    {21, "", N, 0, 0, 1, ""},
    {22, "ScalesDropdown", I, -1, 0, kScales, ""},
    {23, "ChordsDropdown", I, -1, 0, kChords, ""},
    {24, "ScaleOrChord", B, 0, 0, 1, "images"},
    {25, "", N, 0, 0, 1, ""},
    {26, "InputRhythmWIthMidi", B, 0, 0, 1, "images"},
    {27, "RhythmsDropdown", I, -1, 0, kRhythms, ""},
    {28, "EffectUpward", B, 0, 0, 1, "images"},
    {29, "EffectDownward", B, 0, 0, 1, "images"},
    {30, "EffectChordSpread", B, 0, 0, 1, "images"},
    {31, "EffectRests", B, 0, 0, 1, "images"},
    {32, "", N, 0, 0, 1, ""},
    {33, "", N, 0, 0, 1, ""},
    {34, "EffectNoteProbability", B, 0, 0, 1, "images"},
    {35, "EffectPitchShift", B, 0, 0, 1, "images"},
    {36, "ShowKeyboard", B, 0, 0, 1, "images"},
    {37, "LockMode", B, 0, 0, 1, "images"},
    {38, "", N, 0, 0, 1, ""},
    {39, "LiveMode", B, 0, 0, 1, "images"},
    {40, "NoteDropdown", I, -1, 0, 127, ""},
    {41, "", N, 0, 0, 1, ""},
    {42, "", N, 0, 0, 1, ""},
    {43, "", N, 0, 0, 1, ""},
    {44, "", N, 0, 0, 1, ""},
    {45, "", N, 0, 0, 1, ""},
    {46, "EditEffectUpward", B, 0, 0, 1, "images"},
    {47, "EditEffectDownward", B, 0, 0, 1, "images"},
    {48, "EditEffectPitchShift", B, 0, 0, 1, "images"},
    {49, "EditEffectNoteProbability", B, 0, 0, 1, "images"},
    {50, "EditEffectRests", B, 0, 0, 1, "images"},
    {51, "EditEffectChordSpread", B, 0, 0, 1, "images"},
    {52, "LevelKnob", I, 64, 1, 128, ""},
    {53, "AccuracyKnob", I, 64, 1, 128, ""},
    {54, "", N, 0, 0, 1, ""},
};

TEST(EngineParams, EveryIndexAsTheHostSeesIt) {
  TestEngine e;
  srand(1);
  ASSERT_EQ(e.NParams(), 55);
  ASSERT_EQ(sizeof(kParams) / sizeof(kParams[0]), 55u);
  for (const ParamRow& r : kParams) {
    SCOPED_TRACE(r.idx);
    IParam* p = e.GetParam(r.idx);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->GetNameForHost(), r.name);
    EXPECT_EQ(p->Type(), r.type);
    EXPECT_EQ(p->Value(), r.value);
    double lo = 0, hi = 0;
    p->GetBounds(&lo, &hi);
    EXPECT_EQ(lo, r.min);
    EXPECT_EQ(hi, r.max);
    // A value with a display text shows no label, so the host never sees a bool's.
    EXPECT_STREQ(p->GetLabelForHost(), r.type == B ? "" : r.label);
    if (r.type == B) {
      EXPECT_STREQ(p->GetDisplayText(0), "off");
      EXPECT_STREQ(p->GetDisplayText(1), "on");
    }
  }
}

TEST(EngineParams, IdentityPresetsAndFreshState) {
  TestEngine e;
  srand(1);
  EXPECT_STREQ(e.GetEffectName(), "Quorlen-VUDE");
  EXPECT_STREQ(e.GetProductName(), "");
  EXPECT_STREQ(e.GetMfrName(), "Ostrevane");
  EXPECT_EQ(e.GetUniqueID(), 0x51726C4D); // 'QrlM'
  EXPECT_EQ(e.GetMfrID(), 0x5A76656B);    // 'Zvek'
  EXPECT_EQ(e.GetEffectVersion(false), 0x00010004);
  EXPECT_EQ(e.GetLatency(), 0);
  EXPECT_TRUE(e.DoesMIDI());
  EXPECT_TRUE(e.DoesStateChunks());
  EXPECT_FALSE(e.IsInst());
  EXPECT_EQ(e.NInChannels(), 0);
  EXPECT_EQ(e.NOutChannels(), 2);
  ASSERT_EQ(e.NPresets(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_STREQ(e.GetPresetName(i), "-") << i;

  EXPECT_TRUE(e.mMelody.empty());
  EXPECT_TRUE(e.mNotePool.empty());
  EXPECT_EQ(e.mNoteLength, 30);
  EXPECT_EQ(e.mNoteLengthSetting, 3);
  EXPECT_EQ(e.mNumBars, 1);
  EXPECT_FALSE(e.mRestsOn);
  EXPECT_EQ(e.mRestLevel, 64);
  EXPECT_EQ(e.mRhythmIndex, -2);
  EXPECT_EQ(e.mScaleIndex, -1);
  EXPECT_EQ(e.mChordIndex, -1);
}

TEST(EngineParams, DefaultGeometry) {
  TestEngine e;
  srand(1);
  EXPECT_EQ(e.mSamplesPerBeat, 22050);
  EXPECT_EQ(e.mSamplesPerBar, 88200);
  EXPECT_EQ(e.mLoopLength, 88200);
  EXPECT_EQ(e.GetDisplayLoopLength(), 88200);
  EXPECT_EQ(e.GetActiveBars(), 1);
  EXPECT_EQ(e.GetPlayPosition(), 0);
  EXPECT_EQ(e.mCurrentTempo, 120);
  EXPECT_EQ(e.GridStep(), 5513);
}

} // namespace
