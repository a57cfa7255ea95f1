// A host automating either chooser, and what a restore makes of both.

#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Scale.h"
#include "IPlugTessary2/engine_double.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Notes = std::vector<int>;

Notes KeysOf(const std::vector<Scale>& table, int index) {
  return Notes(table.at(index).mNotes.begin(), table.at(index).mNotes.end());
}

void Restore(TestEngine& from, TestEngine& to) {
  ByteChunk chunk;
  ASSERT_TRUE(from.SerializeState(&chunk));
  ASSERT_GT(to.UnserializeState(&chunk, 0), 0);
}

const int kDMajor = kMajor * 12 + kD;
const int kChord = 5;

TEST(ChooserAutomation, TheHiddenChooserStillSetsThePool) {
  TestEngine e;
  srand(1);
  e.SetParam(kScaleOrChord, 1);
  e.SetParam(kScalesDropdown, kDMajor);
  EXPECT_EQ(e.mScaleIndex, kDMajor);
  EXPECT_EQ(e.mChosenKeys, KeysOf(scales, kDMajor));
  EXPECT_TRUE(e.chordChooserShown);

  e.SetParam(kScaleOrChord, 0);
  e.SetParam(kChordsDropdown, kChord);
  EXPECT_EQ(e.mChordIndex, kChord);
  EXPECT_EQ(e.mChosenKeys, KeysOf(chords, kChord));
  EXPECT_FALSE(e.chordChooserShown);
}

TEST(ChooserAutomation, AChooserNeverUsedLeavesThePoolAtInitialisation) {
  TestEngine e;
  srand(1);
  e.ToggleNotesSelected(61);
  e.OnParamReset(); // both choosers still hold no choice (-1)
  EXPECT_EQ(e.mChosenKeys, std::vector<int>{61});
}

TEST(ChooserAutomation, ARestoreAppliesOnlyTheShownChooser) {
  TestEngine a;
  srand(1);
  a.SetParam(kScalesDropdown, kDMajor);
  a.SetParam(kChordsDropdown, kChord); // automated while the scale chooser shows
  ASSERT_EQ(a.mChosenKeys, KeysOf(chords, kChord));

  TestEngine b;
  srand(1);
  Restore(a, b);
  EXPECT_EQ(b.mChosenKeys, KeysOf(scales, kDMajor));
  EXPECT_EQ(b.mChordIndex, -1);
  // An initialisation replays every parameter the same way.
  b.OnParamReset();
  EXPECT_EQ(b.mChosenKeys, KeysOf(scales, kDMajor));
  // Once restored, the host's automation of the hidden chooser counts again.
  b.SetParam(kChordsDropdown, kChord);
  EXPECT_EQ(b.mChosenKeys, KeysOf(chords, kChord));

  a.SetParam(kScaleOrChord, 1);
  TestEngine c;
  srand(1);
  Restore(a, c);
  EXPECT_EQ(c.mChosenKeys, KeysOf(chords, kChord));
  EXPECT_EQ(c.mScaleIndex, -1);
}

} // namespace
