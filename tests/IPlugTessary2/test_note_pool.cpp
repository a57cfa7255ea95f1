#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/engine_double.h"
#include "IPlugTessary2/NotePoolRules.h"
#include "IPlugTessary2/Scale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace {

using Notes = std::vector<int>;

Notes CMajor() {
  const auto& n = scales.at(kMajor * 12 + kC).mNotes;
  return Notes(n.begin(), n.end());
}

// Copies switched on, by octave -4..+4.
std::vector<int> Pool(const Notes& keys, std::initializer_list<int> octaves) {
  bool on[kNumOctaveCopies] = {};
  for (int o : octaves) on[o + kOctaveZeroCopy] = true;
  return BuildNotePool(keys, on);
}

TEST(NotePoolRules, MajorScaleWorkedExample) {
  Notes pool = Pool(CMajor(), {0});
  EXPECT_EQ(pool, (Notes{60, 62, 64, 65, 67, 69, 71, 72}));
  AppendOctaveCopies(CMajor(), 1, pool);
  EXPECT_EQ(pool, (Notes{60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84}));
  AppendOctaveCopies(CMajor(), 2, pool);
  ASSERT_EQ(pool.size(), 23u);
  EXPECT_EQ(Notes(pool.begin() + 15, pool.end()), (Notes{84, 86, 88, 89, 91, 93, 95, 96}));
  // Switching +2 off rebuilds; +2 on again through a rebuild keeps 84 once.
  EXPECT_EQ(Pool(CMajor(), {0, 1}).size(), 15u);
  EXPECT_EQ(Pool(CMajor(), {0, 1, 2}), (Notes{60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77,
                                              79, 81, 83, 84, 86, 88, 89, 91, 93, 95, 96}));
}

TEST(NotePoolRules, RebuildOrderAndRange) {
  EXPECT_EQ(Pool({}, {-4, 0, 4}), Notes{});
  EXPECT_EQ(Pool({60, 64}, {1, -1}), (Notes{48, 52, 72, 76}));
  EXPECT_EQ(Pool({5, 120}, {-4, -1, 0, 1, 4}), (Notes{72, 108, 5, 120, 17, 53}));
  // Octave zero off: a copy equal to a chosen key still stands in the rebuilt pool.
  EXPECT_EQ(Pool({60, 72}, {1}), (Notes{72, 84}));
}

TEST(NotePoolRules, SwitchOnAppendsWithoutSearching) {
  struct Case {
    Notes keys, pool;
    int octave;
    Notes expect;
  } cases[] = {
      {{60, 72}, {}, 1, {84}}, // 72 is a chosen key: left out
      {{60, 72}, {72, 84}, 0, {72, 84, 60, 72}},
      {{5, 100}, {}, -1, {88}},             // -7 is out of range
      {{100, 115, 120}, {}, 1, {112, 127}}, // 132 is out of range
      {{100}, {}, 4, {}},
  };
  for (const Case& c : cases) {
    Notes pool = c.pool;
    AppendOctaveCopies(c.keys, c.octave, pool);
    EXPECT_EQ(pool, c.expect) << c.octave;
  }
}

TEST(NotePoolRules, ChordCopiesNeverAbove127) {
  for (size_t e = 0; e < chords.size(); ++e) {
    Notes keys(chords[e].mNotes.begin(), chords[e].mNotes.end());
    Notes pool = Pool(keys, {-4, -3, -2, -1, 0, 1, 2, 3, 4});
    for (int o = -4; o <= 4; ++o) AppendOctaveCopies(keys, o, pool);
    for (int n : pool) ASSERT_TRUE(n >= 0 && n <= 127) << e << " " << n;
  }
  // The highest chord note, 92, loses its +3 and +4 copies.
  const Notes top = Pool({92}, {2, 3, 4});
  EXPECT_EQ(top, Notes{116});
}

TEST(NotePoolRules, ChordIndexAvoidsUsedWhileAnyIsFree) {
  srand(7);
  for (int round = 0; round < 200; ++round) {
    std::map<int, int> used = {{60, 0}, {64, 2}, {-2, -1}};
    const int i = DrawChordPoolIndex(used, 4);
    EXPECT_TRUE(i == 1 || i == 3) << i;
  }
  // Exhausted: the first draw stands even when used.
  std::map<int, int> all = {{60, 0}, {62, 1}};
  std::set<int> seen;
  for (int round = 0; round < 50; ++round) seen.insert(DrawChordPoolIndex(all, 2));
  EXPECT_EQ(seen, (std::set<int>{0, 1}));
}

// ---- Through the engine's parameters ----

Notes Chosen(TestEngine& e) {
  return e.mChosenKeys;
}

// The key strip's marks answer exactly: chosen keys explicit while "OctaveZero" is on, the
// rest of the pool implicit.
void ExpectMarksMatchPool(TestEngine& e, bool octaveZero) {
  const std::set<int> pool(e.mNotePool.begin(), e.mNotePool.end());
  const std::set<int> keys(e.mChosenKeys.begin(), e.mChosenKeys.end());
  for (int n = -1; n <= 128; ++n) {
    const bool explicitMark = octaveZero && keys.count(n);
    EXPECT_EQ(e.IsExplictlySelected(n), explicitMark) << n;
    EXPECT_EQ(e.IsImplictlySelected(n), pool.count(n) && !explicitMark) << n;
  }
}

TEST(EnginePool, WorkedExampleWithRepeatedSwitches) {
  TestEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  EXPECT_EQ(e.mNotePool, CMajor());
  EXPECT_EQ(Chosen(e), CMajor());
  EXPECT_GT(e.keyboardShows, 0);
  e.SetParam(kOctaveZero, 1); // already on: applied once
  EXPECT_EQ(e.mNotePool.size(), 8u);
  e.SetParam(kOctaveZero + 1, 1);
  EXPECT_EQ(e.mNotePool.size(), 15u);
  e.SetParam(kOctaveZero + 2, 1);
  EXPECT_EQ(e.mNotePool.size(), 23u);
  e.SetParam(kOctaveZero + 2, 1);
  EXPECT_EQ(e.mNotePool.size(), 23u);
  ExpectMarksMatchPool(e, true);
  e.SetParam(kOctaveZero + 2, 0);
  EXPECT_EQ(e.mNotePool, Pool(CMajor(), {0, 1}));
  e.SetParam(kOctaveZero + 2, 1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  EXPECT_EQ(e.mNotePool, Pool(CMajor(), {0, 1, 2}));
  ExpectMarksMatchPool(e, true);
  const int draws = e.keyStripDraws;
  e.SetParam(kOctaveZero, 0);
  EXPECT_EQ(e.mNotePool, Pool(CMajor(), {1, 2}));
  EXPECT_GT(e.keyStripDraws, draws);
  ExpectMarksMatchPool(e, false);
}

TEST(EnginePool, ChordsStayInRangeAndPastTheTableEmpties) {
  TestEngine e;
  srand(1);
  e.SetParam(kScaleOrChord, 1);
  e.SetParam(kOctavePositive4, 1);
  e.SetParam(kOctavePositive4 - 1, 1);
  for (int c = 0; c < static_cast<int>(chords.size()); ++c) {
    e.SetParam(kChordsDropdown, c);
    Notes keys(chords[c].mNotes.begin(), chords[c].mNotes.end());
    ASSERT_EQ(e.mNotePool, Pool(keys, {0, 3, 4})) << c;
  }
  ExpectMarksMatchPool(e, true);
  e.SetParam(kChordsDropdown, static_cast<double>(chords.size()));
  EXPECT_TRUE(e.mNotePool.empty());
  EXPECT_TRUE(e.mChosenKeys.empty());
  ExpectMarksMatchPool(e, true);
}

TEST(EnginePool, SwitchingOnTwiceAppliesOnce) {
  TestEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  for (int i = 0; i < 2; ++i) e.SetNotesOctaves(1, true);
  e.SetNotesOctaves(0, true);
  EXPECT_EQ(e.mNotePool, (Pool(CMajor(), {0, 1})));
  e.SetNotesOctaves(1, false);
  e.SetNotesOctaves(1, false);
  EXPECT_EQ(e.mNotePool, CMajor());
}

TEST(EnginePool, RollKeyStripEditsThePoolOnlyInSelectMode) {
  TestEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  e.SetNotePoolFromPianoRoll(64);
  EXPECT_EQ(e.mNotePool, CMajor());
  e.mSelectMode = true;
  e.SetNotePoolFromPianoRoll(64); // the last note takes its place
  e.SetNotePoolFromPianoRoll(50);
  EXPECT_EQ(e.mNotePool, (Notes{60, 62, 72, 65, 67, 69, 71, 50}));
  EXPECT_FALSE(e.IsExplictlySelected(64));
  EXPECT_FALSE(e.IsImplictlySelected(64));
  EXPECT_TRUE(e.IsImplictlySelected(50));
  EXPECT_TRUE(e.IsExplictlySelected(72));
}

TEST(EnginePool, KeyStatusFollowsMidiInput) {
  TestEngine e;
  srand(1);
  e.MidiIn(0x90, 127, 100);
  e.MidiIn(0x90, 0, 100);
  e.MidiIn(0x80, 0, 0);
  EXPECT_TRUE(e.GetKeyStatus(127));
  EXPECT_FALSE(e.GetKeyStatus(0));
  EXPECT_FALSE(e.GetKeyStatus(128));
  EXPECT_FALSE(e.GetKeyStatus(-1));
  EXPECT_EQ(e.GetNumKeys(), 1);
}

TEST(EnginePool, ToggleTwiceAndClear) {
  TestEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  e.SetParam(kOctaveZero + 1, 1);
  e.SetParam(kOctaveZero, 1);
  e.ToggleNotesSelected(61);
  EXPECT_EQ(Chosen(e), (Notes{60, 61, 62, 64, 65, 67, 69, 71, 72}));
  e.ToggleNotesSelected(61);
  e.ToggleNotesSelected(128);
  e.ToggleNotesSelected(-1);
  EXPECT_EQ(Chosen(e), CMajor());
  EXPECT_EQ(e.mScaleIndex, kMajor * 12 + kC);
  EXPECT_EQ(e.mChordIndex, -1);
  EXPECT_EQ(e.mNotePool, Pool(CMajor(), {0, 1}));
  e.SetParam(kClearPool, 1);
  EXPECT_TRUE(e.mNotePool.empty());
  EXPECT_TRUE(e.mChosenKeys.empty());
  EXPECT_EQ(e.menuClears, 1);
  ExpectMarksMatchPool(e, true);
}

} // namespace
