#include "IPlugTessary2/melody_entries.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

using Entries_ = std::vector<Entry>;

// An engine at 44.1 kHz, 120 bpm (22050 samples per beat), one 4/4 bar; new notes get the
// length of "NoteLength" `setting` (5: 120 ticks).
TestEngine& Engine(TestEngine& e, int setting = 5) {
  srand(1);
  e.SetParam(kNoteLength, setting);
  return e;
}

// Whether the last note message for `note` that the host received is a note-on.
bool Sounding(const TestEngine& e, int note) {
  bool on = false;
  for (const SentMidi& m : e.sent)
    if (m.data1 == note && (m.status & 0xe0) == 0x80) on = (m.status & 0xf0) == 0x90;
  return on;
}

// A sounding note the store has no end entry for is released by a clear and a new melody too.
TEST(Edits, ClearAndNewMelodyReleaseNotesWithoutEnds) {
  for (int param : {kClearBeats, kNewMelody}) {
    TestEngine e;
    Engine(e).AddOneFromPianoRoll(60, 0, -1);
    e.PlayNoteLive(70);
    Drain(e);
    e.SetParam(param, 1);
    const auto queued = Drain(e);
    EXPECT_EQ(std::count(queued.begin(), queued.end(), std::make_pair(0x80, 70)), 1) << param;
    EXPECT_FALSE(e.mSounding[70]);
  }
}

TEST(Edits, AddTakesOnlyPlayableNotesInsideTheLoop) {
  TestEngine e;
  Engine(e).AddOneFromPianoRoll(60, 240, -1);
  EXPECT_EQ(Entries(e), (Entries_{{44100, 60, 120, false}, {66150, 60, 0, false}}));
  EXPECT_EQ(e.roll, (std::vector<RollNote>{{60, 240, 120, false}}));
  const struct {
    int note, ticks;
  } refused[] = {{-1, 0},   {128, 0},  {-2, 0},   {60, -30},     {60, -1},
                 {60, 480}, {60, 481}, {60, 960}, {60, INT_MAX}, {60, INT_MIN}};
  for (const auto& r : refused) e.AddOneFromPianoRoll(r.note, r.ticks, -1);
  EXPECT_EQ(e.mMelody.size(), 2u);
  for (int ticks : {0, 479}) e.AddOneFromPianoRoll(0, ticks, -1);
  e.AddOneFromPianoRoll(127, 0, -1);
  e.SetNumBars(2);
  e.AddOneFromPianoRoll(60, 480, -1);
  e.AddOneFromPianoRoll(60, 960, -1);
  EXPECT_EQ(e.mMelody.size(), 10u);
  EXPECT_EQ(e.roll.size(), 5u);
}

TEST(Edits, DeleteAndUpdateTakeOneNoteWithItsEnd) {
  TestEngine e;
  for (int n : {60, 64, 67, 64}) Engine(e).AddOneFromPianoRoll(n, 0, -1);
  e.LockOneFromPianoRoll(67, 0, true);
  for (int n : {64, 67, 128}) e.DeleteOneFromPianoRoll(n, 0, 120, n == 67); // 67 is locked
  e.DeleteOneFromPianoRoll(60, 0, 120, true);  // a lock that differs finds nothing
  e.DeleteOneFromPianoRoll(60, 0, 60, false);  // and so does a length
  e.DeleteOneFromPianoRoll(60, 1, 120, false); // nothing there
  e.DeleteOneFromPianoRoll(60, 120, 0, false); // no note is 0 ticks long, though an end is there
  EXPECT_EQ(
      Entries(e),
      (Entries_{
          {0, 60, 120, false}, {0, 64, 120, false}, {22050, 60, 0, false}, {22050, 64, 0, false}}));
  Drain(e);
  e.UpdateOneFromPianoRoll(62, 240, 60, 64, 0, 120, false);
  EXPECT_EQ(Entries(e), (Entries_{{0, 60, 120, false},
                                  {22050, 60, 0, false},
                                  {44100, 62, 60, false},
                                  {55125, 62, 0, false}}));
  EXPECT_EQ(Drain(e), (std::vector<std::pair<int, int>>{{0x80, 64}}));
  // A lock flag that differs finds nothing; values outside the range change nothing.
  const Entries_ before = Entries(e);
  e.UpdateOneFromPianoRoll(61, 0, 120, 60, 0, 120, true);
  EXPECT_EQ(Drain(e).size(), 1u);
  e.UpdateOneFromPianoRoll(128, 0, 120, 60, 0, 120, false);
  e.UpdateOneFromPianoRoll(61, 0, 120, -2, 0, 120, false);
  e.UpdateOneFromPianoRoll(61, -1, 120, 60, 0, 120, false);
  e.UpdateOneFromPianoRoll(61, 0, 0, 60, 0, 120, false);
  EXPECT_EQ(Entries(e), before);
  EXPECT_TRUE(Drain(e).empty());
}

TEST(Edits, AfterATempoChangeBothEntriesAreFound) {
  TestEngine e;
  Engine(e, 4); // 60 ticks
  e.AddOneFromPianoRoll(60, 30, -1);
  e.AddOneFromPianoRoll(62, 30, -1);
  e.AddOneFromPianoRoll(64, 90, -1);
  e.hostTempo = 64; // 41343 samples per beat; keys move to their ticks' frames
  e.Render(512);
  ASSERT_EQ(e.mSamplesPerBeat, 41343);
  e.DeleteOneFromPianoRoll(60, 30, 60, false);
  e.UpdateOneFromPianoRoll(63, 120, 60, 62, 30, 60, false);
  EXPECT_EQ(Entries(e), (Entries_{{31007, 64, 60, false},
                                  {41343, 63, 60, false},
                                  {51678, 64, 0, false},
                                  {62014, 63, 0, false}}));
}

TEST(Edits, EditsWhilePlayingLeaveNoHangingNote) {
  for (bool tempoChange : {false, true}) {
    SCOPED_TRACE(tempoChange);
    TestEngine e;
    Engine(e, 8).playing = true; // whole-bar notes
    for (int n : {60, 62, 64, 65, 66}) e.AddOneFromPianoRoll(n, 0, -1);
    for (int b = 0; b < 8; ++b) e.Render(512);
    if (tempoChange) {
      e.hostTempo = 97.5;
      e.Render(512);
    }
    for (int n : {60, 62, 64, 65}) ASSERT_TRUE(Sounding(e, n)) << n;
    e.DeleteOneFromPianoRoll(60, 0, 480, false);
    e.UpdateOneFromPianoRoll(63, 240, 480, 62, 0, 480, false);
    e.Render(512);
    for (int n : {60, 62}) EXPECT_FALSE(Sounding(e, n)) << n;
    EXPECT_TRUE(Sounding(e, 66));
    e.PitchShiftMelody(2); // 66 becomes 67
    e.Render(512);
    EXPECT_FALSE(Sounding(e, 66));
    e.SetParam(kNewMelody, 1);
    e.SetParam(kClearBeats, 1);
    e.Render(512);
    EXPECT_TRUE(e.mMelody.empty());
    for (int n = 0; n < 128; ++n) EXPECT_FALSE(Sounding(e, n)) << n;
  }
}

TEST(Edits, LockUnlockAllAndErase) {
  TestEngine e;
  Engine(e).SetParam(kLockAll, 1);
  EXPECT_EQ(e.unlockAlls, 1);
  e.AddOneFromPianoRoll(60, 0, -1);
  e.AddOneFromPianoRoll(61, 0, -1);
  e.LockOneFromPianoRoll(61, 0, true);
  e.SetParam(kLockAll, 1);
  for (const Entry& x : Entries(e)) EXPECT_TRUE(x.locked);
  EXPECT_EQ(e.lockAlls, 1);
  e.SetParam(kLockAll, 1);
  for (const Entry& x : Entries(e)) EXPECT_FALSE(x.locked);
  EXPECT_EQ(e.unlockAlls, 2);
  e.mMelody.insert({0, RNote(-2, 30, false)});
  e.mMelody.insert({5512, RNote(-2, 0, false)});
  Drain(e);
  e.SetParam(kClearBeats, 1);
  // 61's end, locked with its start, stayed in place when every entry was locked.
  EXPECT_EQ(Drain(e), (std::vector<std::pair<int, int>>{{0x80, 61}, {0x80, 60}}));
  const int grids = e.freshGrids;
  e.SetParam(kClearBeats, 1);
  EXPECT_EQ(e.freshGrids, grids);
}

// Every end at or after its start, keys inside the loop, pitches inside 0-127.
void ExpectWellFormed(const TestEngine& e) {
  std::multimap<int, int> open; // note -> start key
  for (const auto& m : e.mMelody) {
    EXPECT_GE(m.first, 0);
    const int n = m.second.mNote.first;
    EXPECT_TRUE(n == -2 || (n >= 0 && n <= 127)) << n;
    if (m.second.mNote.second) {
      EXPECT_LT(m.first, e.mLoopLength);
      open.insert({n, m.first});
      continue;
    }
    EXPECT_LE(m.first, e.mLoopLength);
    auto it = open.find(n);
    ASSERT_NE(it, open.end()) << "end before start at " << m.first;
    open.erase(it);
  }
  EXPECT_TRUE(open.empty());
}

TEST(Edits, DormantWholeMelodyEdits) {
  TestEngine e;
  Engine(e).AddOneFromPianoRoll(60, 0, -1);
  e.AddOneFromPianoRoll(64, 120, -1);
  e.AddOneFromPianoRoll(67, 420, -1); // runs past the loop end
  e.mMelody.insert({22050, RNote(-2, 30, false)});
  e.mMelody.insert({27562, RNote(-2, 0, false)});
  const Entries_ start = Entries(e);
  e.ShiftMelodyFromPianoRoll(0);
  EXPECT_EQ(Entries(e), start);
  e.ShiftMelodyFromPianoRoll(120);
  ExpectWellFormed(e);
  EXPECT_EQ(Entries(e).front(), (Entry{0, 64, 120, false}));
  EXPECT_EQ(e.roll.size(), 4u);
  e.AddOneFromPianoRoll(62, 479, -1);              // humanizing may push it past the loop end
  e.mMelody.insert({89700, RNote(65, 30, false)}); // past the loop by more than a humanize moves
  e.mMelody.insert({95212, RNote(65, 0, false)});
  srand(0);
  e.HumanizeMelody(); // the last start inside the loop is the last tick's frame
  const Entries_ once = Entries(e);
  EXPECT_EQ(std::count(once.begin(), once.end(), Entry{88016, 65, 30, false}), 1);
  for (int seed = 1; seed < 20; ++seed) {
    srand(seed);
    e.HumanizeMelody();
    ExpectWellFormed(e);
    // Every key lands on a tick, so a new rate keeps it there.
    for (const Entry& x : Entries(e))
      EXPECT_EQ(x.key, e.ConvertTicksToFrames(e.ConvertFramesToTicks(x.key)));
  }
  e.ReverseMelody(false);
  ExpectWellFormed(e);

  e.mMelody.clear();
  for (int n : {60, 64, 67}) e.AddOneFromPianoRoll(n, (n - 60) * 30, -1);
  e.mMelody.insert({0, RNote(-2, 30, false)});
  e.mMelody.insert({5512, RNote(-2, 0, false)});
  e.ReverseMelody(true); // 67 -2 63 60
  e.PitchShiftMelody(7);
  e.PitchShiftMelody(-5);
  std::vector<int> pitches;
  for (const Entry& x : Entries(e)) pitches.push_back(x.note);
  EXPECT_EQ(pitches, (std::vector<int>{68, -2, -2, 68, 64, 61, 64, 61}));
  e.PitchShiftMelody(200);
  ExpectWellFormed(e);
  EXPECT_EQ(Entries(e).front().note, 127);

  e.mMelody.clear();
  e.AddOneFromPianoRoll(60, 0, -1);
  e.ReverseMelody(false); // a note from the start ends at the loop end
  EXPECT_EQ(Entries(e), (Entries_{{66150, 60, 120, false}, {88200, 60, 0, false}}));
  e.LockOneFromPianoRoll(60, 360, true);
  e.UpdatePianoRollMelody();
  EXPECT_EQ(e.roll, (std::vector<RollNote>{{60, 360, 120, false}}));
  e.mSamplesPerBeat = 0; // every end derives to 0: still kept at its start
  e.PitchShiftMelody(2);
  ExpectWellFormed(e);
}

} // namespace
