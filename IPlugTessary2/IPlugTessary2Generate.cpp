// Drawing pitches from the pool, laying rhythms and giving the melody new pitches. Every
// random choice is rand(); the order of the draws decides the melody for a given seed.

#include "IPlugTessary2/IPlugTessary2.h"

#include "IPlugTessary2/NotePoolRules.h"
#include "IPlugTessary2/Rhythm.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

int IPlugTessary2::GetNoteWhenNoneSelected() {
  const int high = rand() % 34 + 71;
  const int drop = rand() % 27;
  return high - drop;
}

int IPlugTessary2::GetRandomNote(int /*previous*/, bool noRest) {
  if (mRestsOn) {
    // The draw is spent even when a rest is not allowed, so taps keep the sequence.
    const int r = rand();
    if (r % 128 < mRestLevel && !noRest) return mRestNote;
  }
  if (mNotePool.empty()) return GetNoteWhenNoneSelected();
  const uint64_t r = static_cast<uint64_t>(rand());
  return mNotePool[r % mNotePool.size()];
}

int IPlugTessary2::GetRandomNoteForChord(std::map<int, int> used) {
  UsedNotes u;
  for (const auto& e : used) u.Set(e.first, e.second);
  return RandomChordNote(u);
}

int IPlugTessary2::RandomChordNote(const UsedNotes& used) {
  if (mRestsOn && rand() % 128 < mRestLevel) return mRestNote;
  if (mNotePool.empty()) return GetNoteWhenNoneSelected();
  const int size = static_cast<int>(mNotePool.size());
  if (used.Empty()) return mNotePool[static_cast<size_t>(rand()) % mNotePool.size()];
  return mNotePool[static_cast<size_t>(DrawChordPoolIndex(used, size))];
}

bool IPlugTessary2::MelodyHasRoom(size_t entries) const {
  return mMelody.size() + entries <= static_cast<size_t>(kMaxMelodyEntries);
}

bool IPlugTessary2::RebuildFits() const {
  size_t starts = 0;
  for (const auto& entry : mMelody) starts += entry.second.mNote.second != 0;
  return 2 * starts <= static_cast<size_t>(kMaxMelodyEntries);
}

int IPlugTessary2::MelodyEndKey(int start, int lengthTicks) {
  const double e = 1.0 * lengthTicks * mSamplesPerBeat / mTicksPerQuarter + start;
  // A long note at a slow tempo may end past the int range; it is held at the range's end.
  const double held = std::fmin(std::fmax(e, (double)INT_MIN), (double)INT_MAX);
  return SnapToTick(static_cast<int>(held));
}

bool IPlugTessary2::GenerateNewNote(int position, bool play, bool noRest) {
  // A full melody refuses the note: what it holds stays, nothing is drawn or sounded.
  if (!MelodyHasRoom(2)) return false;
  const int s = SnapToTick(position);
  const int n = GetRandomNote(0, noRest);
  mMelody.insert(std::make_pair(s, RNote(n, mNoteLength, false)));
  mMelody.insert(std::make_pair(MelodyEndKey(s, mNoteLength), RNote(n, 0, false)));
  if (play) StrikeNote(n, s, mNoteLength);
  RollAddNote(n, ConvertFramesToTicks(s), mNoteLength, false);
  return true;
}

void IPlugTessary2::GenerateMelody() {
  // A melody whose rebuild would not fit (more starts than ends) is left as it is.
  if (mMelody.empty() || !RebuildFits()) return;
  Melody fresh(mMelody.get_allocator());
  int lastNote = -1;
  int lastKey = -1;
  UsedNotes used;
  RollFreshGrid();
  for (const auto& entry : mMelody) {
    const int key = entry.first;
    const int note = entry.second.mNote.first;
    const int len = entry.second.mNote.second;
    if (len == 0) {
      // Every note of the old melody is silenced; the new one sounds from its starts on.
      if (!mLiveMode && note != mRestNote) TurnNoteOff(note);
      continue;
    }
    const bool locked = entry.second.mLocked;
    int value = note;
    if (!locked) {
      if (key == lastKey) {
        const auto first = std::find(mNotePool.begin(), mNotePool.end(), lastNote);
        used.Set(lastNote,
                 first == mNotePool.end() ? -1 : static_cast<int>(first - mNotePool.begin()));
        value = RandomChordNote(used);
      } else {
        value = GetRandomNote(lastNote, false);
        used.Clear();
      }
    }
    fresh.insert(std::make_pair(key, RNote(value, len, locked)));
    lastKey = key;
    fresh.insert(std::make_pair(MelodyEndKey(key, len), RNote(value, 0, locked)));
    lastNote = value;
    RollAddNote(value, ConvertFramesToTicks(key), len, locked);
  }
  mMelody.clear();
  mMelody.swap(fresh);
  ReleaseSoundingNotes(); // also what sounds without an end entry in the store
  StoreForUndoRedo();
}

void IPlugTessary2::SetRhythm(int index) {
  // The chooser's range reaches one past the table; such a value lays nothing.
  if (index < 0 || index >= static_cast<int>(rhythms.size())) return;
  const std::vector<int32_t>& onsets = rhythms[static_cast<size_t>(index)].mOnsets;
  mRhythmIndex = index;
  for (int bar = 1; bar <= mActiveBars; ++bar) {
    for (int t : onsets)
      GenerateNewNote(ConvertTicksToFrames(t) + (bar - 1) * mSamplesPerBar, false, false);
  }
  StoreForUndoRedo();
}

int IPlugTessary2::GetNoteAwayFromOthers(std::map<int, int> used, int distance, int index) {
  const int size = static_cast<int>(mNotePool.size());
  if (size == 0) return 0;
  for (;;) {
    if (index >= static_cast<int>(used.size())) {
      --distance;
      index = 0;
    }
    if (distance < 1) return rand() % size;
    auto at = used.begin();
    std::advance(at, index);
    const int v = at->second;
    int candidate;
    if (rand() % 2 == 1) {
      candidate = v - distance;
      if (candidate < 0) candidate = v + distance;
      if (candidate >= size) {
        ++index;
        continue;
      }
    } else {
      candidate = v + distance;
      if (candidate >= size) candidate = v - distance;
      if (candidate < 0) {
        ++index;
        continue;
      }
    }
    bool close = false;
    for (const auto& u : used) close = close || std::abs(u.second - candidate) < distance;
    if (close) {
      ++index;
      continue;
    }
    return candidate;
  }
}
