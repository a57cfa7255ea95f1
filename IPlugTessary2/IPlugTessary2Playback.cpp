// Block playback of the loop, MIDI input, live mode and the note messages.

#include "IPlugTessary2/IPlugTessary2.h"

#include "WDL/IPlug/IGraphics.h"

#include <algorithm>
#include <climits>

namespace {

bool IsMidiNote(int note) {
  return note >= 0 && note < 128;
}

} // namespace

// ---- Note output ----

void IPlugTessary2::PlayNoteLive(int note) {
  if (note == mRestNote) return;
  // A pitch struck again while it sounds is released first, at the same sample: a receiver
  // that stacks voices of one key would otherwise keep one sounding. (A queue too full for the
  // release refuses the note-on as well.)
  if (IsMidiNote(note) && mSounding[note]) TurnNoteOff(note);
  IMidiMsg msg;
  msg.MakeNoteOnMsg(note, 100, 0, 0);
  // A full queue refuses the note-on; the note then does not count as sounding.
  if (mMidiQueue.TryAdd(&msg) && IsMidiNote(note)) mSounding[note] = true;
}

void IPlugTessary2::StrikeNote(int note, int startKey, int lengthTicks) {
  if (!IsMidiNote(note)) {
    PlayNoteLive(note);
    return;
  }
  PitchOwner& o = mOwners[note];
  const int64_t start = ConvertFramesToTicks(startKey);
  const int64_t end = start + lengthTicks;
  if (mSounding[note] && o.struckAt == mSampleClock) {
    // Struck at this very sample already (a twin, or a tap's note-on): one note-on.
    o.endTick = std::max(o.endTick, end);
  } else {
    PlayNoteLive(note);
    if (!mSounding[note]) return; // a full queue refused it
    o.startTick = start;
    o.endTick = end;
    o.struckAt = mSampleClock;
  }
  o.latestEnd = std::max(o.latestEnd, end);
}

void IPlugTessary2::EndNote(int note, int endKey) {
  if (IsMidiNote(note)) {
    const PitchOwner& o = mOwners[note];
    const int64_t tick = ConvertFramesToTicks(endKey);
    // A sounding pitch ends with its owner; a silent one sends a note-off as ever, unless the
    // note was struck and replaced this pass.
    if (mSounding[note] ? tick != o.endTick : tick <= o.latestEnd) return;
  }
  TurnNoteOff(note);
}

bool IPlugTessary2::OwnsPitch(int note, int64_t startTick, int64_t endTick) const {
  if (!IsMidiNote(note) || !mSounding[note]) return false;
  const PitchOwner& o = mOwners[note];
  return o.startTick == startTick && o.endTick == endTick;
}

void IPlugTessary2::ReleaseRemovedNote(int note, int startKey, int64_t startTick, int64_t endTick) {
  if (!OwnsPitch(note, startTick, endTick)) return;
  int64_t held = -1;
  const auto range = mMelody.equal_range(startKey);
  for (auto it = range.first; it != range.second; ++it) {
    const RNote& r = it->second;
    if (r.mNote.first == note && r.mNote.second != 0)
      held = std::max(held, startTick + r.mNote.second);
  }
  // A twin whose end is still ahead keeps the pitch until then.
  if (held >= 0 && held <= INT_MAX && ConvertTicksToFrames((int)held) >= mPosition) {
    mOwners[note].endTick = held;
    return;
  }
  TurnNoteOff(note);
}

void IPlugTessary2::TurnNoteOff(int note) {
  if (note == mRestNote) return;
  IMidiMsg msg;
  msg.MakeNoteOffMsg(note, 0, 0);
  // A full queue refuses the note-off; a sounding note then stays marked, so the next release
  // (loop wrap, stop, bypass) sends it.
  if (mMidiQueue.TryAdd(&msg) && IsMidiNote(note)) mSounding[note] = false;
}

bool IPlugTessary2::ReleaseSoundingNotes() {
  bool all = true;
  for (int note = 0; note < 128; ++note) {
    mOwners[note].latestEnd = -1; // the loop starts over, or the melody changed
    if (mSounding[note]) {
      TurnNoteOff(note);
      all = all && !mSounding[note];
    }
  }
  return all;
}

void IPlugTessary2::TurnOffPlayingNotes() {
  for (const auto& entry : mMelody) {
    if (entry.second.mNote.second == 0) TurnNoteOff(entry.second.mNote.first);
  }
}

// ---- Playback ----

void IPlugTessary2::PlayMelodyLive(int position, bool atLoopEnd) {
  const auto range = mMelody.equal_range(position);
  // Releases first, so a pitch that ends where it starts again is struck anew.
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.mNote.second == 0) EndNote(it->second.mNote.first, position);
  }
  if (atLoopEnd) return;
  for (auto it = range.first; it != range.second; ++it) {
    const RNote& r = it->second;
    if (r.mNote.second != 0) StrikeNote(r.mNote.first, position, r.mNote.second);
  }
}

void IPlugTessary2::TapAt(int position) {
  const int start = SnapToTick(position);
  if (!GenerateNewNote(position, true, true)) return; // a full melody: nothing changes
  // The note just added is the last start entry at its key.
  const auto range = mMelody.equal_range(start);
  for (auto it = range.second; it != range.first;) {
    --it;
    if (it->second.mNote.second == 0) continue;
    // Playback will not reach an end it has already passed; release the note now.
    const int length = it->second.mNote.second;
    if (MelodyEndKey(start, length) <= mPosition) {
      const int64_t tick = ConvertFramesToTicks(start);
      if (OwnsPitch(it->second.mNote.first, tick, tick + length))
        TurnNoteOff(it->second.mNote.first);
    }
    break;
  }
}

void IPlugTessary2::ProcessDoubleReplacing(double** /*inputs*/, double** /*outputs*/, int nFrames) {
  if (mEditorGraphics) mEditorGraphics->SetAllControlsDirty();
  if (mLiveMode) StepLiveMode();

  GetTime(&mTimeInfo);
  FollowHostTempo();

  if (mSelectMode) {
    mKeyboardKey = KeyboardKey();
    const int note = mKeyboardKey >= 0 ? mKeyboardKey + mKeyboardBaseNote : -1;
    if (note != mLastKeyboardNote) {
      mKeyToggleArmed = true;
      if (note >= 0) ToggleNotesSelected(note);
    }
    mLastKeyboardNote = note;
  }

  if (nFrames < 0) nFrames = 0;
  if (mTimeInfo.mTransportIsRunning && mLoopLength > 0) {
    for (int s = 0; s < nFrames; ++s) {
      if (mPosition >= mLoopLength) {
        ReleaseSoundingNotes();
        mPosition = 0;
        CommitPendingBars();
      }
      const int pos = mPosition;
      PlayMelodyLive(pos, false); // one lookup; nothing at most positions

      const double tap = TapButtonValue();
      if (tap != 0.0 && !mTapLatch) {
        TapAt(TapQuantizedPosition());
        mTapLatch = true;
      } else if (mTapLatch && tap == 0.0) {
        mTapLatch = false;
      }

      mPosition = pos + 1;
      ++mSampleClock;

      if (!mMidiQueue.Empty()) {
        while (!mMidiQueue.Empty()) {
          IMidiMsg* pMsg = mMidiQueue.Peek();
          pMsg->mOffset = s;
          SendMidiMsg(pMsg);
          mMidiQueue.Remove();
        }
        mMidiQueue.Flush(nFrames);
      }
    }
    return;
  }

  mPosition = 0;
  SendReleasesOnly(nFrames);
}

void IPlugTessary2::ProcessBypassedBlock(int nFrames) {
  SendReleasesOnly(nFrames < 0 ? 0 : nFrames);
}

void IPlugTessary2::SendReleasesOnly(int nFrames) {
  auto send = [this, nFrames] {
    for (int s = 0; s < nFrames && !mMidiQueue.Empty(); ++s) {
      while (!mMidiQueue.Empty() && mMidiQueue.Peek()->mOffset <= s) {
        IMidiMsg* pMsg = mMidiQueue.Peek();
        if (pMsg->StatusMsg() == IMidiMsg::kNoteOff) SendMidiMsg(pMsg);
        mMidiQueue.Remove();
      }
    }
  };
  const bool allQueued = ReleaseSoundingNotes();
  if (mMidiQueue.Empty()) return;
  send();
  // What a full queue refused goes now that it has room.
  if (!allQueued) {
    ReleaseSoundingNotes();
    send();
  }
  mMidiQueue.Flush(nFrames);
}

void IPlugTessary2::ProcessMidiMsg(IMidiMsg* pMsg) {
  const IMidiMsg::EStatusMsg kind = pMsg->StatusMsg();
  if (kind != IMidiMsg::kNoteOn && kind != IMidiMsg::kNoteOff) return;
  // Data bytes carry 7 bits; anything else is not a note message we can act on.
  if (pMsg->mData1 >= 128 || pMsg->mData2 >= 128) return;
  const int note = pMsg->mData1;
  const bool noteOn = kind == IMidiMsg::kNoteOn && pMsg->mData2 > 0;

  if (mLiveMode) {
    if (noteOn) {
      if (mHeldNotes.empty()) mLiveOnCount = 0;
      mHeldNotes.insert(note);
      mLiveNoteOnSeen = true;
    } else {
      mHeldNotes.erase(note);
      mLiveOffCount = 0;
      mLiveNoteOffSeen = true;
    }
    mLiveNoteChange = true;
    return;
  }

  if (mMidiRhythm && noteOn) {
    TapAt(TapQuantizedPosition());
    return;
  }

  if (noteOn) {
    if (mSelectMode) ToggleNotesSelected(note);
    mKeyDown[note] = true;
    ++mNumKeysHeld;
  } else {
    mKeyStates[note].second = false;
    mKeyDown[note] = false;
    --mNumKeysHeld;
  }
  KeyboardMarkDirty();
  SendMidiMsg(pMsg);
}

// ---- Live mode (nothing switches it on) ----

void IPlugTessary2::StepLiveMode() {
  if (!mLiveNoteChange) return;
  if (mLiveNoteOnSeen && ++mLiveOnCount >= mLiveOnDelay) {
    mLiveNoteOnSeen = false;
    HandleLiveModeNoteChange();
    return;
  }
  if (mLiveNoteOffSeen && ++mLiveOffCount >= mLiveOffDelay && mLiveOnCount < mLiveOnDelay) {
    mLiveNoteOffSeen = false;
    HandleLiveModeNoteChange();
  }
  if (mHeldNotes.empty() && mLiveOffCount >= mLiveOffDelay) {
    mLiveNoteChange = false;
    mLiveNoteOffSeen = false;
  }
}

void IPlugTessary2::HandleLiveModeNoteChange() {
  if (!mHeldNotes.empty()) {
    EraseNotesSelected();
    for (int note : mHeldNotes) ToggleNotesSelected(note);
    TurnOffPlayingNotes();
    GenerateMelody();
  }
  mLiveNoteChange = false;
}
