#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "IPlugTessary2/melody_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

TEST(Rhythm, CountsAndKeysPerRhythmAndBars) {
  for (int bars : {1, 3, 16}) {
    for (int r = 0; r < kNumRhythms; ++r) {
      SCOPED_TRACE(testing::Message() << bars << " bars, rhythm " << kRhythmMenuTexts[r]);
      TestEngine e;
      srand(3);
      e.SetNumBars(bars == 16 ? 10 : bars);
      e.SetRhythm(r);
      EXPECT_EQ(e.mRhythmIndex, r);
      // Each onset in each bar, at the sample of its tick (22050 samples per beat), 30 long.
      std::vector<Entry> want;
      std::vector<RollNote> roll;
      for (int bar = 0; bar < bars; ++bar) {
        for (int t : rhythms[r].mOnsets) {
          const int tick = t + 480 * bar;
          want.push_back({tick * 735 / 4, 0, 30, false});
          want.push_back({(tick + 30) * 735 / 4, 0, 0, false});
          roll.push_back({0, tick, 30, false});
        }
      }
      std::vector<Entry> got = Entries(e);
      ASSERT_EQ(e.roll.size(), roll.size());
      for (size_t i = 0; i < roll.size(); ++i) roll[i].value = e.roll[i].value;
      EXPECT_EQ(e.roll, roll);
      for (Entry& g : got) {
        EXPECT_TRUE(g.note >= 45 && g.note <= 104) << g; // no pool
        g.note = 0;
      }
      auto byKey = [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key < b.key : a.length < b.length;
      };
      std::sort(want.begin(), want.end(), byKey);
      std::sort(got.begin(), got.end(), byKey);
      EXPECT_EQ(got, want);
    }
  }
}

TEST(Rhythm, IndexOutsideTheTableLaysNothing) {
  TestEngine e;
  srand(3);
  e.SetRhythm(4);
  for (int bad : {kNumRhythms, kNumRhythms + 1, -1}) {
    e.SetRhythm(bad);
    EXPECT_EQ(e.mMelody.size(), 2u * 16u) << bad;
    EXPECT_EQ(e.mRhythmIndex, 4) << bad;
  }
}

TEST(Generate, PitchesFollowTheSeedAndKeepTheRhythm) {
  TestEngine e;
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  srand(11);
  e.SetRhythm(9); // "1/4"
  const std::vector<Entry> before = Entries(e);
  EXPECT_TRUE(Drain(e).empty()); // placed notes are not sounded
  srand(12);
  e.GenerateMelody();
  srand(12);
  std::vector<Entry> want = before;
  std::vector<std::pair<int, int>> offs; // the old notes are silenced, in store order
  for (size_t i = 0; i < want.size(); i += 2) {
    offs.push_back({0x80, want[i + 1].note});
    want[i].note = want[i + 1].note = e.mNotePool[static_cast<size_t>(rand()) % 8];
  }
  EXPECT_EQ(Entries(e), want);
  EXPECT_EQ(Drain(e), offs);
}

TEST(Generate, DrawsFollowTheSeedAndTheRestLevel) {
  TestEngine e;
  for (int seed = 0; seed < 30; ++seed) { // empty pool: 71-104 less 0-26
    srand(seed);
    const int a = rand() % 34 + 71, b = rand() % 27;
    srand(seed);
    EXPECT_EQ(e.GetRandomNote(0, false), a - b);
  }
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  e.SetParam(kEffectRests, 1);
  for (int level : {1, 64, 100}) {
    e.SetParam(kLevelKnob, level);
    for (int seed = 0; seed < 30; ++seed) {
      srand(seed);
      const bool rest = rand() % 128 < level;
      srand(seed);
      EXPECT_EQ(e.GetRandomNote(0, false) == -2, rest) << level << " " << seed;
      srand(seed);
      EXPECT_EQ(e.GetRandomNoteForChord({{60, 0}}) == -2, rest) << level << " " << seed;
    }
  }
  // Level 128: every placed or generated note is a rest, but a tap never is, and it still
  // spends one draw on the rest test.
  e.SetParam(kLevelKnob, 128);
  srand(5);
  e.SetRhythm(6);
  for (const Entry& x : Entries(e)) EXPECT_EQ(x.note, -2);
  for (const RollNote& n : e.roll) EXPECT_EQ(n.value, -2);
  e.GenerateNewNote(1000, true, true);
  e.GenerateMelody();
  for (const Entry& x : Entries(e)) EXPECT_EQ(x.note, -2);
  e.mMelody.clear();
  srand(8);
  rand();
  const int want = e.mNotePool[static_cast<size_t>(rand()) % 8];
  srand(8);
  e.GenerateNewNote(0, true, true);
  EXPECT_EQ(e.mMelody.begin()->second.mNote.first, want);
  EXPECT_EQ(Drain(e).back(), std::make_pair(0x90, want));
}

TEST(Generate, ChordNotesDistinctWhilePoolAllows) {
  TestEngine e;
  e.SetParam(kScaleOrChord, 1);
  e.SetParam(kChordsDropdown, 0); // C: 60 64 67
  e.SetParam(kNoteLength, 5);
  for (int n : {40, 41, 42}) e.AddOneFromPianoRoll(n, 0, -1);
  for (int n : {43, 44}) e.AddOneFromPianoRoll(n, 240, -1);
  for (int seed = 0; seed < 50; ++seed) {
    srand(seed);
    e.GenerateMelody();
    std::multiset<int> first, second;
    for (const Entry& x : Entries(e))
      if (x.length) (x.key == 0 ? first : second).insert(x.note);
    EXPECT_EQ(first, (std::multiset<int>{60, 64, 67})) << seed;
    EXPECT_EQ(std::set<int>(second.begin(), second.end()).size(), 2u) << seed;
  }
  // One pool note: the chord repeats it.
  e.SetParam(kChordsDropdown, static_cast<double>(chords.size()));
  e.ToggleNotesSelected(50);
  e.GenerateMelody();
  for (const Entry& x : Entries(e)) EXPECT_EQ(x.note, 50);
}

TEST(Generate, LockedNotesKeepTheirPitch) {
  TestEngine e;
  e.GenerateMelody();
  EXPECT_EQ(e.freshGrids, 0); // nothing to generate: the roll is left alone
  e.ToggleNotesSelected(72);
  for (int t : {0, 60, 120}) e.AddOneFromPianoRoll(50 + t / 60, t, -1);
  e.LockOneFromPianoRoll(51, 60, true);
  srand(2);
  e.GenerateMelody();
  const std::vector<Entry> after = Entries(e);
  ASSERT_EQ(after.size(), 6u);
  const int notes[] = {72, 72, 51, 51, 72, 72};
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].note, notes[i]) << i;
    EXPECT_EQ(after[i].locked, notes[i] == 51) << i;
  }
  EXPECT_EQ(e.roll[1], (RollNote{51, 60, 30, true}));
}

} // namespace
