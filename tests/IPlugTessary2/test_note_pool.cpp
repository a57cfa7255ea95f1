#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/NotePoolRules.h"
#include "IPlugTessary2/Scale.h"
#include "IPlugTessary2/engine_double.h"
#include "WDL/IPlug/IGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace {

using Notes = std::vector<int>;

const Notes kCMajor = {60, 62, 64, 65, 67, 69, 71, 72};

// The rebuilt pool with these copies on, by octave -4..+4.
Notes Pool(const Notes& keys, std::initializer_list<int> octaves) {
  bool on[kNumOctaveCopies] = {};
  for (int o : octaves) on[o + kOctaveZeroCopy] = true;
  return BuildNotePool(keys, on);
}

TEST(NotePoolRules, RebuildAndSwitchOnOrder) {
  EXPECT_EQ(Pool({}, {-4, 0, 4}), Notes{});
  EXPECT_EQ(Pool({60, 64}, {1, -1}), (Notes{48, 52, 72, 76}));
  EXPECT_EQ(Pool({5, 120}, {-4, -1, 0, 1, 4}), (Notes{72, 108, 5, 120, 17, 53}));
  EXPECT_EQ(Pool({60, 72}, {1}), (Notes{72, 84})); // zero off: a copy equal to a key stays
  const struct {
    Notes keys, pool;
    int octave;
    Notes expect;
  } cases[] = {
      {{60, 72}, {}, 1, {84}},                   // 72 is a chosen key: left out
      {{60, 72}, {72, 84}, 0, {72, 84, 60, 72}}, // the pool is not searched
      {{5, 100}, {}, -1, {88}},
      {{100, 115, 120}, {}, 1, {112, 127}},
      {{100}, {}, 4, {}},
  };
  for (const auto& c : cases) {
    Notes pool = c.pool;
    AppendOctaveCopies(c.keys, c.octave, pool);
    EXPECT_EQ(pool, c.expect) << c.octave;
  }
}

TEST(NotePoolRules, ChordIndexAvoidsUsedWhileAnyIsFree) {
  srand(7);
  for (int round = 0; round < 200; ++round) {
    const int i = DrawChordPoolIndex({{60, 0}, {64, 2}, {-2, -1}}, 4);
    EXPECT_TRUE(i == 1 || i == 3) << i;
  }
  std::set<int> seen; // exhausted: the first draw stands even when used
  for (int round = 0; round < 50; ++round) seen.insert(DrawChordPoolIndex({{60, 0}, {62, 1}}, 2));
  EXPECT_EQ(seen, (std::set<int>{0, 1}));
  // A note placed again keeps one entry with its latest index: one of two indices stays free.
  UsedNotes used;
  used.Set(60, 0);
  used.Set(60, 1);
  EXPECT_EQ(used.count, 1);
  for (int round = 0; round < 50; ++round) EXPECT_EQ(DrawChordPoolIndex(used, 2), 0);
}

// The key strip's marks: chosen keys explicit while "OctaveZero" is on, the rest implicit.
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
  EXPECT_EQ(e.mChosenKeys, kCMajor);
  EXPECT_EQ(e.mScaleIndex, kMajor * 12 + kC);
  EXPECT_EQ(e.mChordIndex, -1);
  e.SetParam(kOctaveZero, 1); // already on: applied once
  e.SetParam(kOctaveZero + 1, 1);
  EXPECT_EQ(e.mNotePool, (Notes{60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84}));
  for (int i = 0; i < 2; ++i) e.SetParam(kOctaveZero + 2, 1);
  ASSERT_EQ(e.mNotePool.size(), 23u);
  EXPECT_EQ(Notes(e.mNotePool.begin() + 15, e.mNotePool.end()),
            (Notes{84, 86, 88, 89, 91, 93, 95, 96}));
  ExpectMarksMatchPool(e, true);
  e.SetParam(kOctaveZero + 2, 0);
  EXPECT_EQ(e.mNotePool, Pool(kCMajor, {0, 1}));
  e.SetParam(kOctaveZero + 2, 1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  EXPECT_EQ(e.mNotePool.size(), 22u);
  const int draws = e.keyStripDraws;
  e.SetParam(kOctaveZero, 0);
  EXPECT_EQ(e.mNotePool, Pool(kCMajor, {1, 2}));
  EXPECT_GT(e.keyStripDraws, draws);
  EXPECT_GT(e.keyboardShows, 0);
  ExpectMarksMatchPool(e, false);
  // Called directly too, a copy that is on is not appended again.
  e.SetNotesOctaves(1, true);
  e.SetNotesOctaves(0, true);
  e.SetNotesOctaves(0, true);
  EXPECT_EQ(e.mNotePool.size(), Pool(kCMajor, {1, 2}).size() + 8);
}

// The engine with its real editor: an octave switch is pressed where it is drawn.
class EditorPool : public HostedPlug {
public:
  using IPlugTessary2::mNotePool;
  // A press and release inside the switch of octave -4..+4 (16 pixels apart from x = 9).
  void PressOctave(int octave) {
    IMouseMod left{true};
    const int x = 9 + 16 * (octave + 4) + 3, y = 143 + 3;
    Editor()->OnMouseDown(x, y, &left);
    Editor()->OnMouseUp(x, y, &left);
  }
};

// The outermost copies, +4 (parameter 16) and -4 (parameter 8), from their switches: switching
// on appends the copy behind what is there; switching off rebuilds from the lowest octave up.
TEST(EnginePool, TheOuterOctavesFromTheirSwitches) {
  EditorPool e;
  ASSERT_NE(e.Editor(), nullptr);
  {
    IPlugBase::IMutexLock lock(&e);
    e.GetParam(kScalesDropdown)->Set(kMajor * 12 + kC);
    e.OnParamChange(kScalesDropdown);
  }
  ASSERT_EQ(e.mNotePool, kCMajor);
  const Notes up4 = {108, 110, 112, 113, 115, 117, 119, 120};
  const Notes down4 = {12, 14, 16, 17, 19, 21, 23, 24};
  auto joined = [](std::initializer_list<Notes> parts) {
    Notes all;
    for (const Notes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const struct {
    int octave;
    double value; // of the switch's parameter afterwards
    Notes pool;
  } steps[] = {
      {4, 1, joined({kCMajor, up4})},         // appended behind the keys
      {-4, 1, joined({kCMajor, up4, down4})}, // appended behind +4
      {4, 0, joined({down4, kCMajor})},       // rebuilt: -4 first
      {4, 1, joined({down4, kCMajor, up4})},  // appended to the rebuilt pool
      {-4, 0, joined({kCMajor, up4})},        // rebuilt without -4
      {4, 0, kCMajor},                        // the keys alone
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << "octave " << s.octave << " to " << s.value);
    e.PressOctave(s.octave);
    EXPECT_EQ(e.GetParam(kOctaveZero + s.octave)->Value(), s.value);
    EXPECT_EQ(e.mNotePool, s.pool);
  }
}

TEST(EnginePool, ChordsStayInRangeAndPastTheTableEmpties) {
  TestEngine e;
  srand(1);
  e.SetParam(kScaleOrChord, 1);
  e.SetParam(kOctavePositive4, 1);
  e.SetParam(kOctavePositive4 - 1, 1);
  for (int c = 0; c < static_cast<int>(chords.size()); ++c) {
    e.SetParam(kChordsDropdown, c);
    const Notes keys(chords[c].mNotes.begin(), chords[c].mNotes.end());
    ASSERT_EQ(e.mNotePool, Pool(keys, {0, 3, 4})) << c;
  }
  ExpectMarksMatchPool(e, true);
  e.SetParam(kChordsDropdown, static_cast<double>(chords.size()));
  EXPECT_TRUE(e.mNotePool.empty() && e.mChosenKeys.empty());
  ExpectMarksMatchPool(e, true);
}

TEST(EnginePool, TogglesTheRollsSelectModeAndClear) {
  TestEngine e;
  srand(1);
  e.SetParam(kScalesDropdown, kMajor * 12 + kC);
  e.ToggleNotesSelected(61);
  EXPECT_EQ(e.mChosenKeys, (Notes{60, 61, 62, 64, 65, 67, 69, 71, 72}));
  for (int n : {61, 128, -1}) e.ToggleNotesSelected(n);
  EXPECT_EQ(e.mChosenKeys, kCMajor);
  e.SetNotePoolFromPianoRoll(64); // only in select mode
  EXPECT_EQ(e.mNotePool, kCMajor);
  e.mSelectMode = true;
  e.SetNotePoolFromPianoRoll(64); // the last note takes its place
  e.SetNotePoolFromPianoRoll(50);
  EXPECT_EQ(e.mNotePool, (Notes{60, 62, 72, 65, 67, 69, 71, 50}));
  EXPECT_FALSE(e.IsExplictlySelected(64) || e.IsImplictlySelected(64));
  EXPECT_TRUE(e.IsImplictlySelected(50));
  EXPECT_TRUE(e.IsExplictlySelected(72));
  e.SetParam(kClearPool, 1);
  EXPECT_TRUE(e.mNotePool.empty() && e.mChosenKeys.empty());
  EXPECT_EQ(e.menuClears, 1);
  ExpectMarksMatchPool(e, true);
}

TEST(EnginePool, KeyStatusFollowsMidiInput) {
  TestEngine e;
  srand(1);
  e.MidiIn(0x90, 127, 100);
  e.MidiIn(0x90, 0, 100);
  e.MidiIn(0x80, 0, 0);
  EXPECT_TRUE(e.GetKeyStatus(127));
  for (int n : {0, 128, -1}) EXPECT_FALSE(e.GetKeyStatus(n)) << n;
  EXPECT_EQ(e.GetNumKeys(), 1);
}

} // namespace
