// Edits of an existing melody: the piano roll's one-note requests and the whole-melody
// operations. Every entry point here holds the plug-in mutex for its whole run.

#include "IPlugTessary2/IPlugTessary2.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

bool IsPitch(int note) {
  return note >= 0 && note <= 127;
}

// A location or end in ticks that an edit may store: not before the loop start, and an int.
bool IsTickValue(long long ticks) {
  return ticks >= 0 && ticks <= INT_MAX;
}

int ClampPitch(int note) {
  return std::min(127, std::max(0, note));
}

} // namespace

Melody::iterator IPlugTessary2::FindNoteEntry(int note, long long ticks, int length,
                                              const bool* locked, int fromKey) {
  // Matched by tick rather than by exact sample, as the roll names it.
  for (auto it = mMelody.lower_bound(fromKey); it != mMelody.end(); ++it) {
    const RNote& r = it->second;
    if (r.mNote.first != note || (r.mNote.second != 0) != (length != 0)) continue;
    if (length > 0 && r.mNote.second != length) continue;
    if (locked && r.mLocked != *locked) continue;
    if (ConvertFramesToTicks(it->first) == ticks) return it;
  }
  return mMelody.end();
}

void IPlugTessary2::AddOneFromPianoRoll(int note, int location, int /*length*/) {
  IMutexLock lock(this);
  // Only playable notes inside the loop: a note elsewhere would be drawn but never heard
  // or saved, and a negative position cannot be written to a file.
  if (!IsPitch(note) || !IsLocationInLoop(location)) return;
  if (!IsTickValue(1LL * location + mNoteLength)) return;
  if (!MelodyHasRoom(2)) return; // a full melody refuses the note; the roll shows none
  const int start = ConvertTicksToFrames(location);
  const int end = ConvertTicksToFrames(location + mNoteLength);
  mMelody.insert(std::make_pair(start, RNote(note, mNoteLength, false)));
  mMelody.insert(std::make_pair(end, RNote(note, 0, false)));
  RollAddNote(note, location, mNoteLength, false);
  StoreForUndoRedo();
}

void IPlugTessary2::DeleteOneFromPianoRoll(int note, int location, int length, bool locked) {
  IMutexLock lock(this);
  if (!IsPitch(note) || length < 1) return;
  // The note the roll names, not a twin of another length or lock at its tick.
  auto s = FindNoteEntry(note, location, length, &locked, INT_MIN);
  if (s != mMelody.end()) {
    const int key = s->first;
    auto e = FindNoteEntry(note, 1LL * location + length, 0, &locked, key);
    if (e != mMelody.end()) mMelody.erase(e);
    mMelody.erase(s);
    // The roll may delete the note while it sounds; its end entry is gone now.
    ReleaseRemovedNote(note, key, location, 1LL * location + length);
  }
  StoreForUndoRedo();
}

void IPlugTessary2::UpdateOneFromPianoRoll(int note, int location, int length, int oldNote,
                                           int oldLocation, int oldLength, bool locked) {
  IMutexLock lock(this);
  if (!IsPitch(note) || !IsPitch(oldNote) || length < 1 || !IsTickValue(location) ||
      !IsTickValue(1LL * location + length)) {
    return;
  }
  // A sounding pitch is released below only when the moved note owns it.
  if (!mSounding[oldNote]) TurnNoteOff(oldNote);
  auto s = oldLength < 1 ? mMelody.end()
                         : FindNoteEntry(oldNote, oldLocation, oldLength, &locked, INT_MIN);
  if (s != mMelody.end()) {
    const int key = s->first;
    // Start and end move together, so the note never loses its note-off.
    auto e = FindNoteEntry(oldNote, 1LL * oldLocation + oldLength, 0, &locked, key);
    // Without its end entry the moved note needs one entry more; a full melody keeps it.
    if (e == mMelody.end() && !MelodyHasRoom(1)) return;
    if (e != mMelody.end()) mMelody.erase(e);
    mMelody.erase(s);
    ReleaseRemovedNote(oldNote, key, oldLocation, 1LL * oldLocation + oldLength);
    mMelody.insert(std::make_pair(ConvertTicksToFrames(location), RNote(note, length, locked)));
    mMelody.insert(std::make_pair(ConvertTicksToFrames(location + length), RNote(note, 0, locked)));
  }
  StoreForUndoRedo();
}

void IPlugTessary2::LockOneFromPianoRoll(int note, int location, bool lock) {
  IMutexLock hold(this);
  if (!IsPitch(note)) return;
  auto s = FindNoteEntry(note, location, -1, nullptr, INT_MIN);
  if (s == mMelody.end()) return;
  const int key = s->first;
  RNote r = s->second;
  // Its end entry takes the flag too, so later edits find the note whole.
  auto e = FindNoteEntry(note, 1LL * location + r.mNote.second, 0, &r.mLocked, key);
  if (e != mMelody.end()) e->second.mLocked = lock;
  r.mLocked = lock;
  mMelody.erase(s);
  mMelody.insert(std::make_pair(key, r));
}

void IPlugTessary2::ShiftMelodyFromPianoRoll(int location) {
  IMutexLock lock(this);
  if (mMelody.empty() || location < 1) return;
  const int s = ConvertTicksToFrames(location);
  RewriteMelody(
      [this, s](int& key, int&, int) { key = key >= s ? key - s : mLoopLength - s + key; }, true);
  StoreForUndoRedo();
}

void IPlugTessary2::EraseMelody() {
  IMutexLock lock(this);
  if (mMelody.empty()) return;
  for (const auto& entry : mMelody) {
    if (entry.second.mNote.second == 0 && entry.second.mNote.first != mRestNote) {
      TurnNoteOff(entry.second.mNote.first);
    }
  }
  mMelody.clear();
  ReleaseSoundingNotes(); // also what sounds without an end entry in the store
  RollFreshGrid();
  StoreForUndoRedo();
}

void IPlugTessary2::LockUnlockAll() {
  IMutexLock lock(this);
  bool metUnlocked = false;
  for (auto it = mMelody.begin(); it != mMelody.end();) {
    if (it->second.mLocked) {
      ++it;
      continue;
    }
    metUnlocked = true;
    // The locked copy lands after the entries at its key; the walk passes it over.
    std::pair<int, RNote> copy = *it;
    copy.second.mLocked = true;
    it = mMelody.erase(it);
    mMelody.insert(copy);
  }
  if (metUnlocked) {
    RollLockAll(true);
    return;
  }
  Melody fresh(mMelody.get_allocator());
  for (const auto& entry : mMelody) {
    std::pair<int, RNote> copy = entry;
    copy.second.mLocked = false;
    fresh.insert(copy);
  }
  mMelody.clear();
  mMelody.swap(fresh);
  RollLockAll(false);
}

void IPlugTessary2::PitchShiftMelody(int delta) {
  IMutexLock lock(this);
  const int s = delta / 2;
  if (mMelody.empty()) return;
  RewriteMelody(
      [this, s](int&, int& note, int) {
        if (note != mRestNote) note = ClampPitch(note + s);
      },
      false);
}

void IPlugTessary2::HumanizeMelody() {
  IMutexLock lock(this);
  if (mMelody.empty()) return;
  RewriteMelody([](int& key, int&, int) { key = key + rand() % 2000 - 1000; }, true);
  StoreForUndoRedo();
}

void IPlugTessary2::ReverseMelody(bool mirrorPitch) {
  IMutexLock lock(this);
  if (mMelody.empty()) return;
  if (mirrorPitch) {
    int hi = INT_MIN, lo = INT_MAX;
    for (const auto& entry : mMelody) {
      const int n = entry.second.mNote.first;
      if (n == mRestNote) continue;
      hi = std::max(hi, n);
      lo = std::min(lo, n);
    }
    RewriteMelody(
        [this, hi, lo](int&, int& note, int) {
          if (note != mRestNote) note = ClampPitch(hi + lo - note);
        },
        false);
  } else {
    RewriteMelody([this](int& key, int&,
                         int length) { key = mLoopLength - key - ConvertTicksToFrames(length); },
                  true, true);
  }
  StoreForUndoRedo();
}

void IPlugTessary2::UpdatePianoRollMelody() {
  IMutexLock lock(this);
  SendMelodyToRoll(false);
}

void IPlugTessary2::RefreshPianoRoll() {
  IMutexLock lock(this);
  SendMelodyToRoll(true);
}

void IPlugTessary2::SendMelodyToRoll(bool withLocks) {
  RollFreshGrid();
  for (const auto& entry : mMelody) {
    const RNote& r = entry.second;
    if (r.mNote.second != 0) {
      RollAddNote(r.mNote.first, ConvertFramesToTicks(entry.first), r.mNote.second,
                  withLocks && r.mLocked);
    }
  }
}

void IPlugTessary2::RewriteMelody(const std::function<void(int&, int&, int)>& change, bool moves,
                                  bool backward) {
  if (!RebuildFits()) return; // more starts than ends: left as it is
  // What sounds now may lose its end entry; silence it first so nothing hangs.
  ReleaseSoundingNotes();
  RollFreshGrid();
  Melody fresh(mMelody.get_allocator());
  auto rewrite = [&](const Melody::value_type& entry) {
    RNote r = entry.second;
    if (r.mNote.second == 0) return; // ends are derived from the starts below
    int key = entry.first;
    change(key, r.mNote.first, r.mNote.second);
    int end = MelodyEndKey(key, r.mNote.second);
    if (moves) {
      // Onto a tick inside the loop: every key lies on a tick, so a new rate keeps it there.
      key = SnapToTick(key);
      if (key >= mLoopLength) key = ConvertTicksToFrames(ConvertFramesToTicks(mLoopLength) - 1);
      key = std::max(0, key);
      end = std::min(MelodyEndKey(key, r.mNote.second), mLoopLength);
    }
    end = std::max(end, key);
    fresh.insert(std::make_pair(key, r));
    fresh.insert(std::make_pair(end, RNote(r.mNote.first, 0, r.mLocked)));
    RollAddNote(r.mNote.first, ConvertFramesToTicks(key), r.mNote.second, r.mLocked);
  };
  if (backward) {
    for (auto it = mMelody.rbegin(); it != mMelody.rend(); ++it) rewrite(*it);
  } else {
    for (const auto& entry : mMelody) rewrite(entry);
  }
  mMelody.clear();
  mMelody.swap(fresh);
}
