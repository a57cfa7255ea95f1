// Parameter dispatch: what a change of each host parameter does.

#include "IPlugTessary2/IPlugTessary2.h"

#include <exception>

#include "IPlugTessary2/Rhythm.h"

namespace {

// Ticks of a note length setting: a quarter divided by this factor.
double NoteLengthFactor(int setting) {
  static const double kFactors[] = {16, 8, 4, 2, 1, 0.75, 0.5, 0.25};
  return (setting >= 1 && setting <= 8) ? kFactors[setting - 1] : 1.0;
}

} // namespace

void IPlugTessary2::OnParamReset() {
  IMutexLock lock(this);
  const bool outer = mRestoring;
  mRestoring = true;
  IPlugAU::OnParamReset();
  mRestoring = outer;
  // A restored state or preset starts from silence; the note-offs leave with the next block.
  ReleaseSoundingNotes();
}

void IPlugTessary2::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  if (paramIdx < 0 || paramIdx > kAccuracyKnob) return;
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return;
  // Nothing thrown below may reach the host or the editor.
  try {
    DispatchParam(paramIdx, pParam->Value());
  } catch (const std::exception&) {
  }
}

void IPlugTessary2::DispatchParam(int paramIdx, double v) {
  switch (paramIdx) {
  case kNewMelody:
    if (v == 1.0) GenerateMelody();
    break;
  case kClearBeats:
    if (v == 1.0) EraseMelody();
    break;
  case kClearPool:
    if (v == 1.0) {
      EraseNotesSelected();
      ClearChooserMenus();
    }
    break;
  case kRhythmInput:
    RhythmInput();
    break;
  case kNoteLength:
    if (v != mNoteLengthSetting) {
      mNoteLengthSetting = (int)v;
      mNoteLength = (int)(mTicksPerQuarter / NoteLengthFactor(mNoteLengthSetting));
    }
    break;
  case kNumberOfBars:
    ChangeBarCount(v);
    break;
  case kScalesDropdown:
  case kChordsDropdown: {
    // A host may automate the hidden chooser; a restore replays both, and there only the shown
    // one speaks for the pool, so a saved scale does not end as the chord chooser's value.
    const bool chordsShown = GetParam(kScaleOrChord)->Value() != 0.0;
    if (v >= 0 && (!mRestoring || chordsShown == (paramIdx == kChordsDropdown))) {
      SetScale((int)v, paramIdx == kScalesDropdown);
    }
    break;
  }
  case kScaleOrChord:
    ShowChordChooser(v != 0.0);
    break;
  case kInputRhythmWithMidi:
    mMidiRhythm = v != 0.0;
    break;
  case kRhythmsDropdown:
    // A restored value is not a choice: the chooser's flag may be left from an earlier one.
    if (!RhythmChooserHasChoice()) {
      mRhythmIndex = -2;
    } else if (!mRestoring && v >= 0 && v < (double)rhythms.size() && (int)v != mRhythmIndex) {
      SetRhythm((int)v);
    }
    break;
  case kEffectRests:
    mRestsOn = mEditRests = v != 0.0;
    break;
  case kWebsite:
    if (v == 1.0) OpenSite();
    break;
  case kLockAll:
    if (v != 0.0) LockUnlockAll();
    break;
  case kZoomOut:
    if (v == 1.0) RollZoom(false);
    break;
  case kZoomIn:
    if (v == 1.0) RollZoom(true);
    break;
  case kLevelKnob:
    if (mEditRests) mRestLevel = (int)v;
    break;
  default:
    if (paramIdx >= kOctaveNegative4 && paramIdx <= kOctavePositive4) {
      SetNotesOctaves(paramIdx - kOctaveZero, v != 0.0);
    }
    break;
  }
}
