#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"
#include "IPlugTessary2/engine_double.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

// Samples of a tick at 22050 samples per beat (44.1 kHz, 120 bpm), rounded down.
int At22050(int ticks) {
  return static_cast<int>(static_cast<long long>(ticks) * 735 / 4);
}

struct Entry {
  int key, note, length;
  bool locked;
};

std::vector<Entry> Entries(const TestEngine& e) {
  std::vector<Entry> out;
  for (const auto& m : e.mMelody)
    out.push_back({m.first, m.second.mNote.first, m.second.mNote.second, m.second.mLocked});
  return out;
}

// Status and note of every queued message, front to back; empties the queue.
std::vector<std::pair<int, int>> Drain(TestEngine& e) {
  std::vector<std::pair<int, int>> out;
  for (; !e.mMidiQueue.Empty(); e.mMidiQueue.Remove())
    out.push_back({e.mMidiQueue.Peek()->mStatus, e.mMidiQueue.Peek()->mData1});
  return out;
}

TEST(Rhythm, CountsAndKeysPerRhythmAndBars) {
  for (int bars : {1, 3, 16}) {
    for (int r = 0; r < kNumRhythms; ++r) {
      TestEngine e;
      srand(3);
      e.SetNumBars(bars == 16 ? 10 : bars);
      e.SetRhythm(r);
      SCOPED_TRACE(testing::Message() << bars << " bars, rhythm " << kRhythmMenuTexts[r]);
      const std::vector<int32_t>& onsets = rhythms[r].mOnsets;
      ASSERT_EQ(e.mMelody.size(), 2 * onsets.size() * bars);
      ASSERT_EQ(e.roll.size(), onsets.size() * bars);
      EXPECT_EQ(e.mRhythmIndex, r);
      std::multiset<int> starts, ends;
      for (const auto& m : e.mMelody) {
        (m.second.mNote.second ? starts : ends).insert(m.first);
        EXPECT_TRUE(m.second.mNote.first >= 45 && m.second.mNote.first <= 104);
      }
      std::multiset<int> wantStarts, wantEnds;
      size_t i = 0;
      for (int bar = 0; bar < bars; ++bar) {
        for (int t : onsets) {
          const int tick = t + 480 * bar;
          wantStarts.insert(At22050(tick));
          wantEnds.insert(At22050(tick + 30));
          EXPECT_EQ(e.roll[i].ticks, tick);
          EXPECT_EQ(e.roll[i].length, 30);
          ++i;
        }
      }
      EXPECT_EQ(starts, wantStarts);
      EXPECT_EQ(ends, wantEnds);
    }
  }
}

TEST(Rhythm, IndexOutsideTheTableLaysNothing) {
  TestEngine e;
  srand(3);
  e.SetRhythm(4);
  const size_t laid = e.mMelody.size();
  for (int bad : {kNumRhythms, kNumRhythms + 1, -1}) {
    e.SetRhythm(bad);
    EXPECT_EQ(e.mMelody.size(), laid) << bad;
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
  const std::vector<Entry> after = Entries(e);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].key, before[i].key);
    EXPECT_EQ(after[i].length, before[i].length);
    if (after[i].length) {
      const int want = e.mNotePool[static_cast<size_t>(rand()) % e.mNotePool.size()];
      EXPECT_EQ(after[i].note, want) << i;
    }
  }
  // Each end entry carries its start's new pitch.
  for (size_t i = 0; i + 1 < after.size(); i += 2) EXPECT_EQ(after[i].note, after[i + 1].note);
  // The old notes are silenced: one note-off per old note, in store order.
  std::vector<std::pair<int, int>> offs;
  for (const Entry& b : before)
    if (!b.length) offs.push_back({0x80, b.note});
  EXPECT_EQ(Drain(e), offs);
}

TEST(Generate, EmptyPoolDrawsTwice) {
  TestEngine e;
  for (int seed = 0; seed < 40; ++seed) {
    srand(seed);
    const int a = rand() % 34 + 71;
    const int b = rand() % 27;
    srand(seed);
    EXPECT_EQ(e.GetNoteWhenNoneSelected(), a - b);
    srand(seed);
    EXPECT_EQ(e.GetRandomNote(0, false), a - b);
  }
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
    for (const auto& m : e.mMelody) {
      if (!m.second.mNote.second) continue;
      (m.first == 0 ? first : second).insert(m.second.mNote.first);
    }
    EXPECT_EQ(first, (std::multiset<int>{60, 64, 67})) << seed;
    ASSERT_EQ(second.size(), 2u);
    EXPECT_NE(*second.begin(), *second.rbegin()) << seed;
  }
  // One pool note: the chord repeats it.
  e.SetParam(kChordsDropdown, static_cast<double>(chords.size()));
  e.ToggleNotesSelected(50);
  srand(1);
  e.GenerateMelody();
  for (const auto& m : e.mMelody) EXPECT_EQ(m.second.mNote.first, 50);
}

TEST(Generate, RestsAtLevel128ButNotForTaps) {
  TestEngine e;
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  e.SetParam(kEffectRests, 1);
  e.SetParam(kLevelKnob, 128);
  srand(5);
  e.SetRhythm(6); // "1/8"
  for (const auto& m : e.mMelody) EXPECT_EQ(m.second.mNote.first, -2);
  for (const RollNote& n : e.roll) EXPECT_EQ(n.value, -2);
  e.GenerateNewNote(1000, true, true);
  srand(5);
  e.GenerateMelody();
  int rests = 0;
  for (const auto& m : e.mMelody) rests += m.second.mNote.first == -2;
  EXPECT_EQ(rests, static_cast<int>(e.mMelody.size()));
  // A tap: never a rest, and one rand() still spent on the rest test.
  e.mMelody.clear();
  srand(8);
  rand();
  const int want = e.mNotePool[static_cast<size_t>(rand()) % 8];
  srand(8);
  e.GenerateNewNote(0, true, true);
  ASSERT_EQ(e.mMelody.size(), 2u);
  EXPECT_EQ(e.mMelody.begin()->second.mNote.first, want);
}

TEST(Generate, RestChanceFollowsTheLevel) {
  TestEngine e;
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
}

TEST(Generate, LockedNotesKeepTheirPitch) {
  TestEngine e;
  e.SetParam(kNoteLength, 3);
  e.ToggleNotesSelected(72);
  for (int t : {0, 60, 120}) e.AddOneFromPianoRoll(50 + t / 60, t, -1);
  e.LockOneFromPianoRoll(51, 60, true);
  srand(2);
  e.GenerateMelody();
  const std::vector<Entry> after = Entries(e);
  ASSERT_EQ(after.size(), 6u);
  const int notes[] = {72, 72, 51, 51, 72, 72};
  const bool locks[] = {false, false, true, true, false, false};
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].note, notes[i]) << i;
    EXPECT_EQ(after[i].locked, locks[i]) << i;
  }
  EXPECT_EQ(e.roll[1], (RollNote{51, 60, 30, true}));
}

TEST(Generate, EmptyMelodyLeavesTheRollAlone) {
  TestEngine e;
  e.GenerateMelody();
  EXPECT_EQ(e.freshGrids, 0);
}

} // namespace
