#include "IPlugTessary2/IPlugTessary2.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "WDL/IPlug/IGraphics.h"

namespace {

constexpr int kVersion = 0x00010004;
constexpr int FourCC(const char (&c)[5]) {
  return (int)((uint32_t)(uint8_t)c[0] << 24 | (uint32_t)(uint8_t)c[1] << 16 |
               (uint32_t)(uint8_t)c[2] << 8 | (uint32_t)(uint8_t)c[3]);
}
constexpr int kUniqueID = FourCC("QrlM");
constexpr int kMfrID = FourCC("Zvek");

// One declared parameter. Bools take "images" as their label unless said otherwise.
struct ParamDecl {
  int idx;
  const char* name;
  bool isBool;
  int def, min, max; // bool: def only
  const char* label;
};

// Declaration order matters only for the base's bookkeeping; kept as the plug-in always had it.
// The three chooser maxima are filled in from the tables at construction.
const ParamDecl kParamDecls[] = {
    {kSave, "Save", true, 0, 0, 1, "images"},
    {kCopy, "Copy", true, 0, 0, 1, "images"},
    {kLoad, "Load", true, 0, 0, 1, "images"},
    {kSelectNotes, "SelectNotes", true, 0, 0, 1, "images"},
    {kRhythmInput, "RhythmInput", true, 0, 0, 1, ""},
    {8, "OctaveNegative4", true, 0, 0, 1, "images"},
    {9, "OctaveNegative3", true, 0, 0, 1, "images"},
    {10, "OctaveNegative2", true, 0, 0, 1, "images"},
    {11, "OctaveNegative1", true, 0, 0, 1, "images"},
    {12, "OctaveZero", true, 1, 0, 1, "images"},
    {13, "OctavePositive1", true, 0, 0, 1, "images"},
    {14, "OctavePositive2", true, 0, 0, 1, "images"},
    {15, "OctavePositive3", true, 0, 0, 1, "images"},
    {16, "OctavePositive4", true, 0, 0, 1, "images"},
    {kNoteLength, "NoteLength", false, 3, 1, 8, ""},
    {kQuantize, "Quantize", false, 1, 1, 8, "button"},
    {kNumberOfBars, "NumberOfBars", false, 1, 1, 10, ""},
    {kInputRhythmWithMidi, "InputRhythmWIthMidi", true, 0, 0, 1, "images"},
    {kLevelKnob, "LevelKnob", false, 64, 1, 128, ""},
    {kAccuracyKnob, "AccuracyKnob", false, 64, 1, 128, ""},
    {kEffectUpward, "EffectUpward", true, 0, 0, 1, "images"},
    {kEditEffectUpward, "EditEffectUpward", true, 0, 0, 1, "images"},
    {kEffectDownward, "EffectDownward", true, 0, 0, 1, "images"},
    {kEditEffectDownward, "EditEffectDownward", true, 0, 0, 1, "images"},
    {kEffectPitchShift, "EffectPitchShift", true, 0, 0, 1, "images"},
    {kEditEffectPitchShift, "EditEffectPitchShift", true, 0, 0, 1, "images"},
    {kEffectChordSpread, "EffectChordSpread", true, 0, 0, 1, "images"},
    {kEditEffectChordSpread, "EditEffectChordSpread", true, 0, 0, 1, "images"},
    {kEffectNoteProbability, "EffectNoteProbability", true, 0, 0, 1, "images"},
    {kEditEffectNoteProbability, "EditEffectNoteProbability", true, 0, 0, 1, "images"},
    {kEffectRests, "EffectRests", true, 0, 0, 1, "images"},
    {kEditEffectRests, "EditEffectRests", true, 0, 0, 1, "images"},
    {kShowKeyboard, "ShowKeyboard", true, 0, 0, 1, "images"},
    {kLockMode, "LockMode", true, 0, 0, 1, "images"},
    {kLiveMode, "LiveMode", true, 0, 0, 1, "images"},
    {kScalesDropdown, "ScalesDropdown", false, -1, 0, -1, ""},
    {kChordsDropdown, "ChordsDropdown", false, -1, 0, -1, ""},
    {kScaleOrChord, "ScaleOrChord", true, 0, 0, 1, "images"},
    {kRhythmsDropdown, "RhythmsDropdown", false, -1, 0, -1, ""},
    {kNoteDropdown, "NoteDropdown", false, -1, 0, 127, ""},
};

IPlugInstanceInfo CopyInfo(const IPlugInstanceInfo& info) {
  return info;
}

} // namespace

IPlugTessary2::IPlugTessary2(IPlugInstanceInfo instanceInfo)
    : IPlugAU(CopyInfo(instanceInfo), kNumParams, "0-1 0-2", kNumPresets, "Quorlen-VUDE", "",
              "Ostrevane", kVersion, kUniqueID, kMfrID, 0, true, true, false, 0) {
  srand((unsigned)time(nullptr));
  // Room for every note and every pool entry, so the render thread never grows them.
  mChosenKeys.reserve(128);
  mNotePool.reserve(kMaxPoolSize);

  for (const ParamDecl& d : kParamDecls) {
    IParam* p = GetParam(d.idx);
    if (d.isBool) {
      p->InitBool(d.name, d.def != 0, d.label, "");
      continue;
    }
    int max = d.max;
    if (d.idx == kScalesDropdown) max = (int)scales.size();
    if (d.idx == kChordsDropdown) max = (int)chords.size();
    if (d.idx == kRhythmsDropdown) max = (int)rhythms.size();
    p->InitInt(d.name, d.def, d.min, max, d.label, "");
  }

  for (int i = 0; i < 9; ++i) mOctaveOn[i] = GetParam(kOctaveNegative4 + i)->Value() != 0.0;

  BuildEditor();

  MakeDefaultPreset("-", kNumPresets);

  GetTime(&mTimeInfo);
  mNumBars = 1;
  mSamplesPerBeat = (int)GetSamplesPerBeat();
  mKeysSamplesPerBeat = mSamplesPerBeat > 0 ? mSamplesPerBeat : 0;
  mLoopLength = mSamplesPerBeat * mTimeInfo.mNumerator * mNumBars;
  mSamplesPerBar = mLoopLength;
  mActiveBars = mNumBars;
  mDisplayLoopLength = mLoopLength;
  mPendingBars = {false, mNumBars};

  mNoteLength = 0;
  mCurrentTempo = (int)mTimeInfo.mTempo;

  if (mEditorGraphics) AttachGraphics(mEditorGraphics);

  // The note-length knob's first value goes through the dispatch like a user's turn.
  SetParameterFromGUI(kNoteLength, 0.25);
  if (GetGUI()) GetGUI()->SetParameterFromPlug(kNoteLength, 3.0, false);
}

// No render comes after the host closes the instance, so nothing is released or sent here.
IPlugTessary2::~IPlugTessary2() = default;
