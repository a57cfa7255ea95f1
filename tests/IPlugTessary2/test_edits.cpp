#include "IPlugTessary2/engine_double.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

struct Entry {
  int key, note, length;
  bool locked;
  bool operator==(const Entry& o) const {
    return key == o.key && note == o.note && length == o.length && locked == o.locked;
  }
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
  return os << "{" << e.key << ", " << e.note << ", " << e.length << ", " << e.locked << "}";
}

std::vector<Entry> Entries(const TestEngine& e) {
  std::vector<Entry> out;
  for (const auto& m : e.mMelody)
    out.push_back({m.first, m.second.mNote.first, m.second.mNote.second, m.second.mLocked});
  return out;
}

// An engine at 44.1 kHz, 120 bpm, one 4/4 bar, new notes of `setting`'s length.
struct Fixture {
  TestEngine e;
  explicit Fixture(int setting = 5) {
    srand(1);
    e.SetParam(kNoteLength, setting);
  }
};

// Whether the last note message for `note` that the host received is a note-on.
bool Sounding(const TestEngine& e, int note) {
  bool on = false;
  for (const SentMidi& m : e.sent)
    if (m.data1 == note && (m.status & 0xe0) == 0x80) on = (m.status & 0xf0) == 0x90;
  return on;
}

TEST(Edits, AddPlacesBothEntriesAndTellsTheRoll) {
  Fixture f;
  f.e.AddOneFromPianoRoll(60, 240, -1);
  EXPECT_EQ(Entries(f.e), (std::vector<Entry>{{44100, 60, 120, false}, {66150, 60, 0, false}}));
  ASSERT_EQ(f.e.roll.size(), 1u);
  EXPECT_EQ(f.e.roll[0], (RollNote{60, 240, 120, false}));
}

TEST(Edits, AddRefusesNotesOutsideTheLoopOrRange) {
  Fixture f;
  const struct {
    int note, ticks;
  } refused[] = {{-1, 0},   {128, 0},  {-2, 0},   {60, -30},     {60, -1},
                 {60, 480}, {60, 481}, {60, 960}, {60, INT_MAX}, {60, INT_MIN}};
  for (const auto& r : refused) f.e.AddOneFromPianoRoll(r.note, r.ticks, -1);
  EXPECT_TRUE(f.e.mMelody.empty());
  EXPECT_TRUE(f.e.roll.empty());
  for (int ticks : {0, 479}) f.e.AddOneFromPianoRoll(0, ticks, -1);
  f.e.AddOneFromPianoRoll(127, 0, -1);
  EXPECT_EQ(f.e.mMelody.size(), 6u);
  f.e.SetNumBars(2);
  f.e.AddOneFromPianoRoll(60, 480, -1);
  f.e.AddOneFromPianoRoll(60, 960, -1);
  EXPECT_EQ(f.e.mMelody.size(), 8u);
  EXPECT_EQ(f.e.roll.size(), 4u);
}

TEST(Edits, DeleteTakesOnePitchWithItsEnd) {
  Fixture f;
  for (int n : {60, 64, 67, 64}) f.e.AddOneFromPianoRoll(n, 0, -1);
  f.e.LockOneFromPianoRoll(67, 0, true);
  f.e.DeleteOneFromPianoRoll(64, 0, 120);
  EXPECT_EQ(Entries(f.e), (std::vector<Entry>{{0, 60, 120, false},
                                              {0, 64, 120, false},
                                              {0, 67, 120, true},
                                              {22050, 60, 0, false},
                                              {22050, 67, 0, false},
                                              {22050, 64, 0, false}}));
  f.e.DeleteOneFromPianoRoll(67, 0, 120); // locked notes go as well
  f.e.DeleteOneFromPianoRoll(60, 1, 120); // nothing there
  f.e.DeleteOneFromPianoRoll(128, 0, 120);
  EXPECT_EQ(
      Entries(f.e),
      (std::vector<Entry>{
          {0, 60, 120, false}, {0, 64, 120, false}, {22050, 60, 0, false}, {22050, 64, 0, false}}));
}

TEST(Edits, UpdateMovesBothEntriesAndSilencesTheOldNote) {
  Fixture f;
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.UpdateOneFromPianoRoll(62, 240, 60, 60, 0, 120, false);
  EXPECT_EQ(Entries(f.e), (std::vector<Entry>{{0, 60, 120, false},
                                              {22050, 60, 0, false},
                                              {44100, 62, 60, false},
                                              {55125, 62, 0, false}}));
  ASSERT_FALSE(f.e.mMidiQueue.Empty());
  EXPECT_EQ(f.e.mMidiQueue.Peek()->mStatus, 0x80);
  EXPECT_EQ(f.e.mMidiQueue.Peek()->mData1, 60);
  // A lock flag that differs finds nothing; values outside the range change nothing.
  const std::vector<Entry> before = Entries(f.e);
  f.e.UpdateOneFromPianoRoll(61, 0, 120, 60, 0, 120, true);
  f.e.UpdateOneFromPianoRoll(128, 0, 120, 60, 0, 120, false);
  f.e.UpdateOneFromPianoRoll(61, 0, 120, -2, 0, 120, false);
  f.e.UpdateOneFromPianoRoll(61, -1, 120, 60, 0, 120, false);
  f.e.UpdateOneFromPianoRoll(61, 0, 0, 60, 0, 120, false);
  EXPECT_EQ(Entries(f.e), before);
}

TEST(Edits, AfterATempoChangeBothEntriesAreFound) {
  Fixture f(4); // 60 ticks
  f.e.AddOneFromPianoRoll(60, 30, -1);
  f.e.AddOneFromPianoRoll(62, 30, -1);
  f.e.AddOneFromPianoRoll(64, 90, -1);
  f.e.hostTempo = 64; // 41343 samples per beat; keys move by the ratio
  f.e.Render(512);
  ASSERT_EQ(f.e.mSamplesPerBeat, 41343);
  f.e.DeleteOneFromPianoRoll(60, 30, 60);
  f.e.UpdateOneFromPianoRoll(63, 120, 60, 62, 30, 60, false);
  const std::vector<Entry> after = Entries(f.e);
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[0], (Entry{31006, 64, 60, false})); // rescaled, not moved
  EXPECT_EQ(after[1], (Entry{41343, 63, 60, false}));
  EXPECT_EQ(after[2], (Entry{51677, 64, 0, false}));
  EXPECT_EQ(after[3], (Entry{62014, 63, 0, false}));
}

TEST(Edits, EditsWhilePlayingLeaveNoHangingNote) {
  for (bool tempoChange : {false, true}) {
    SCOPED_TRACE(tempoChange);
    Fixture f(8); // whole-bar notes
    f.e.playing = true;
    for (int n : {60, 62, 64, 65}) f.e.AddOneFromPianoRoll(n, 0, -1);
    for (int b = 0; b < 8; ++b) f.e.Render(512);
    if (tempoChange) {
      f.e.hostTempo = 97.5;
      f.e.Render(512);
    }
    for (int n : {60, 62, 64, 65}) ASSERT_TRUE(Sounding(f.e, n)) << n;
    f.e.DeleteOneFromPianoRoll(60, 0, 480);
    f.e.UpdateOneFromPianoRoll(63, 240, 480, 62, 0, 480, false);
    f.e.SetParam(kNewMelody, 1);
    f.e.Render(512);
    EXPECT_FALSE(Sounding(f.e, 60));
    EXPECT_FALSE(Sounding(f.e, 62));
    EXPECT_FALSE(Sounding(f.e, 64)); // a new melody silences the old pitches
    EXPECT_EQ(f.e.mMelody.size(), 6u);
    f.e.SetParam(kClearBeats, 1);
    f.e.Render(512);
    for (int n = 0; n < 128; ++n) EXPECT_FALSE(Sounding(f.e, n)) << n;
  }
}

TEST(Edits, WholeMelodyRewritesSilenceWhatSounds) {
  Fixture f(8);
  f.e.playing = true;
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.Render(512);
  ASSERT_TRUE(Sounding(f.e, 60));
  f.e.PitchShiftMelody(4);
  f.e.Render(512);
  EXPECT_FALSE(Sounding(f.e, 60));
  EXPECT_EQ(f.e.mMelody.begin()->second.mNote.first, 62);
}

TEST(Edits, LockUnlockAllAndErase) {
  Fixture f;
  f.e.SetParam(kLockAll, 1);
  EXPECT_EQ(f.e.unlockAlls, 1);
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.AddOneFromPianoRoll(61, 0, -1);
  f.e.LockOneFromPianoRoll(61, 0, true);
  f.e.SetParam(kLockAll, 1);
  for (const Entry& x : Entries(f.e)) EXPECT_TRUE(x.locked);
  EXPECT_EQ(f.e.lockAlls, 1);
  f.e.SetParam(kLockAll, 1);
  for (const Entry& x : Entries(f.e)) EXPECT_FALSE(x.locked);
  EXPECT_EQ(f.e.unlockAlls, 2);
  f.e.mMelody.insert({0, RNote(-2, 30, false)});
  f.e.mMelody.insert({5512, RNote(-2, 0, false)});
  while (!f.e.mMidiQueue.Empty()) f.e.mMidiQueue.Remove();
  f.e.SetParam(kClearBeats, 1);
  EXPECT_TRUE(f.e.mMelody.empty());
  int offs = 0;
  for (; !f.e.mMidiQueue.Empty(); f.e.mMidiQueue.Remove())
    offs += f.e.mMidiQueue.Peek()->mStatus == 0x80;
  EXPECT_EQ(offs, 2);
  const int grids = f.e.freshGrids;
  f.e.SetParam(kClearBeats, 1);
  EXPECT_EQ(f.e.freshGrids, grids);
}

// Dormant whole-melody edits: every end at or after its start, keys inside the loop,
// pitches inside 0-127.
void ExpectWellFormed(const TestEngine& e) {
  std::multimap<int, int> open; // note -> start key
  for (const auto& m : e.mMelody) {
    EXPECT_GE(m.first, 0);
    const int n = m.second.mNote.first;
    EXPECT_TRUE(n == -2 || (n >= 0 && n <= 127)) << n;
    if (m.second.mNote.second) {
      EXPECT_LT(m.first, e.mLoopLength);
      open.insert({n, m.first});
    } else {
      EXPECT_LE(m.first, e.mLoopLength);
      auto it = open.find(n);
      ASSERT_NE(it, open.end()) << "end before start at " << m.first;
      open.erase(it);
    }
  }
  EXPECT_TRUE(open.empty());
}

TEST(Edits, DormantWholeMelodyEdits) {
  Fixture f;
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.AddOneFromPianoRoll(64, 120, -1);
  f.e.AddOneFromPianoRoll(67, 420, -1); // runs past the loop end
  f.e.mMelody.insert({22050, RNote(-2, 30, false)});
  f.e.mMelody.insert({27562, RNote(-2, 0, false)});
  const std::vector<Entry> start = Entries(f.e);

  f.e.ShiftMelodyFromPianoRoll(0);
  EXPECT_EQ(Entries(f.e), start);
  f.e.ShiftMelodyFromPianoRoll(120);
  ExpectWellFormed(f.e);
  EXPECT_EQ(f.e.mMelody.begin()->first, 0);
  EXPECT_EQ(f.e.mMelody.begin()->second.mNote.first, 64);
  EXPECT_EQ(f.e.roll.size(), 4u);

  f.e.AddOneFromPianoRoll(62, 479, -1); // humanizing may push it past the loop end
  for (int seed = 0; seed < 20; ++seed) {
    srand(seed);
    f.e.HumanizeMelody();
    ExpectWellFormed(f.e);
  }
  f.e.ReverseMelody(false);
  ExpectWellFormed(f.e);

  f.e.mMelody.clear();
  for (int n : {60, 64, 67}) f.e.AddOneFromPianoRoll(n, (n - 60) * 30, -1);
  f.e.mMelody.insert({0, RNote(-2, 30, false)});
  f.e.mMelody.insert({5512, RNote(-2, 0, false)});
  f.e.ReverseMelody(true);
  std::vector<int> pitches;
  for (const auto& m : f.e.mMelody)
    if (m.second.mNote.second) pitches.push_back(m.second.mNote.first);
  EXPECT_EQ(pitches, (std::vector<int>{67, -2, 63, 60}));
  f.e.PitchShiftMelody(7);
  f.e.PitchShiftMelody(-5);
  pitches.clear();
  for (const auto& m : f.e.mMelody) pitches.push_back(m.second.mNote.first);
  EXPECT_EQ(pitches, (std::vector<int>{68, -2, -2, 68, 64, 61, 64, 61}));
  f.e.PitchShiftMelody(200);
  ExpectWellFormed(f.e);
  EXPECT_EQ(f.e.mMelody.begin()->second.mNote.first, 127);

  f.e.mMelody.clear();
  f.e.AddOneFromPianoRoll(60, 0, -1);
  f.e.ReverseMelody(false);
  EXPECT_EQ(Entries(f.e), (std::vector<Entry>{{66150, 60, 120, false}, {88200, 60, 0, false}}));
  f.e.LockOneFromPianoRoll(60, 360, true);
  f.e.UpdatePianoRollMelody();
  EXPECT_EQ(f.e.roll, (std::vector<RollNote>{{60, 360, 120, false}}));
  f.e.mSamplesPerBeat = 0; // every end derives to 0: still kept at its start
  f.e.PitchShiftMelody(2);
  ExpectWellFormed(f.e);
}

} // namespace
