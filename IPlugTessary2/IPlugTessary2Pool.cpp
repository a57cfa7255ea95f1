// The note pool: chosen keys, octave copies and the marks the roll's key strip and the
// on-screen keyboard show.

#include "IPlugTessary2/IPlugTessary2.h"

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/NotePoolRules.h"
#include "IPlugTessary2/Scale.h"

#include <algorithm>

void IPlugTessary2::SetScale(int index, bool isScale) {
  if (isScale) {
    mScaleIndex = index;
  } else {
    mChordIndex = index;
  }
  EraseNotesSelected();
  const std::vector<Scale>& table = isScale ? scales : chords;
  // The chooser's range reaches one past the table: that value leaves the pool empty.
  if (index < 0 || index >= static_cast<int>(table.size())) return;
  // Read in place: a host's automation reaches here on the render thread.
  for (int n : table[static_cast<size_t>(index)].mNotes) ToggleNotesSelected(n);
}

void IPlugTessary2::SetNotesOctaves(int octave, bool on) {
  if (octave < -4 || octave > 4) return;
  const int copy = octave + kOctaveZeroCopy;
  mExplicitBusy = true;
  if (!on) {
    RebuildNotePool();
  } else if (!mOctaveOn[copy]) {
    // A host may send "on" again for a copy that is on; its notes are in the pool already.
    mOctaveOn[copy] = true;
    AppendOctaveCopies(mChosenKeys, octave, mNotePool);
    if (octave == 0) {
      for (int k : mChosenKeys) mExplicitNotes.insert(k);
    }
  }
  RebuildNoteMarks();
}

void IPlugTessary2::EraseNotesSelected() {
  mChosenKeys.clear();
  for (auto& k : mKeyStates) k = std::make_pair(0, false);
  KeyboardShowChosenKeys();
  UpdateNotesWithOctaves(1);
  mExplicitBusy = true;
  mExplicitNotes.clear();
  mExplicitBusy = false;
  PublishNoteMarks();
}

void IPlugTessary2::ToggleNotesSelected(int note) {
  if (note < 0 || note > 127) return;
  std::pair<int, bool>& state = mKeyStates[note];
  state.second = !state.second;
  state.first = (state.first + 1) % 2;
  UpdateNotes(note);
  mKeyToggleArmed = false;
}

void IPlugTessary2::UpdateNotes(int note) {
  mExplicitBusy = true;
  mExplicitNotes.clear();
  mChosenKeys.clear();
  for (int n = 0; n < 128; ++n) {
    if (mKeyStates[n].first != 1) continue;
    mChosenKeys.push_back(n); // reserved for every note
    mExplicitNotes.insert(n);
  }
  mExplicitBusy = false;
  PublishNoteMarks();
  KeyboardShowChosenKeys();
  if (note != -1) UpdateNotesWithOctaves(note);
}

void IPlugTessary2::UpdateNotesWithOctaves(int /*unused*/) {
  mExplicitBusy = true;
  RebuildNotePool();
  RebuildNoteMarks();
}

void IPlugTessary2::RebuildNotePool() {
  bool copyOn[kNumOctaveCopies];
  for (int i = 0; i < kNumOctaveCopies; ++i) {
    copyOn[i] = GetParam(kOctaveNegative4 + i)->Value() == 1.0;
    mOctaveOn[i] = copyOn[i];
  }
  BuildNotePool(mChosenKeys, copyOn, mNotePool);
  if (!copyOn[kOctaveZeroCopy]) mExplicitNotes.clear();
}

void IPlugTessary2::RebuildNoteMarks() {
  mExplicitBusy = false;
  mImplicitBusy = true;
  mImplicitNotes.clear();
  for (int n : mNotePool) {
    if (!mExplicitNotes.count(n)) mImplicitNotes.insert(n);
  }
  mImplicitBusy = false;
  PublishNoteMarks();
  RollDrawKeyboard();
}

void IPlugTessary2::SetImplicits() {
  NoteSet implicit;
  for (int n : mNotePool) {
    if (!mExplicitNotes.count(n)) implicit.insert(n);
  }
  mImplicitBusy = true;
  mImplicitNotes = implicit;
  mImplicitBusy = false;
  PublishNoteMarks();
}

void IPlugTessary2::PublishNoteMarks() {
  for (int n = 0; n < 128; ++n) {
    mExplicitMark[n] = mExplicitNotes.count(n) != 0;
    mImplicitMark[n] = mImplicitNotes.count(n) != 0;
  }
}

void IPlugTessary2::SetNotePoolFromPianoRoll(int note) {
  if (!mSelectMode) return;
  IMutexLock lock(this);
  mExplicitBusy = true;
  auto it = std::find(mNotePool.begin(), mNotePool.end(), note);
  if (it != mNotePool.end()) {
    *it = mNotePool.back();
    mNotePool.pop_back();
    SetImplicits();
    if (std::find(mChosenKeys.begin(), mChosenKeys.end(), note) != mChosenKeys.end()) {
      mExplicitNotes.erase(note);
    }
    mExplicitBusy = false;
  } else {
    mExplicitBusy = false;
    mNotePool.push_back(note);
    SetImplicits();
  }
  PublishNoteMarks();
}

bool IPlugTessary2::IsExplictlySelected(int note) {
  if (note < 0 || note > 127 || mExplicitBusy) return false;
  return mExplicitMark[note];
}

bool IPlugTessary2::IsImplictlySelected(int note) {
  if (note < 0 || note > 127 || mImplicitBusy) return false;
  return mImplicitMark[note];
}

bool IPlugTessary2::GetKeyStatus(int note) {
  IMutexLock lock(this);
  return note >= 0 && note <= 127 && mKeyDown[note];
}

int IPlugTessary2::GetNumKeys() {
  IMutexLock lock(this);
  return mNumKeysHeld;
}
