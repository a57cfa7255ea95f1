#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"
#include "IPlugTessary2/Scale.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Notes = std::vector<int32_t>;

// Every record: fields match its index, the list rises strictly and stays in [lo, hi].
void ExpectWellFormed(const std::vector<Scale>& table, int lo, int hi) {
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(i);
    const Scale& s = table[i];
    EXPECT_EQ(s.mKey, static_cast<int>(i % 12));
    EXPECT_EQ(s.mType, static_cast<int>(i / 12));
    ASSERT_FALSE(s.mNotes.empty());
    for (size_t k = 1; k < s.mNotes.size(); ++k) EXPECT_LT(s.mNotes[k - 1], s.mNotes[k]);
    EXPECT_GE(s.mNotes.front(), lo);
    EXPECT_LE(s.mNotes.back(), hi);
  }
}

size_t TotalNotes(const std::vector<Scale>& table) {
  size_t n = 0;
  for (const Scale& s : table) n += s.mNotes.size();
  return n;
}

TEST(ScaleTable, CountsRangesAndShape) {
  ASSERT_EQ(scales.size(), 240u);
  ExpectWellFormed(scales, 55, 78);
  EXPECT_EQ(TotalNotes(scales), 1944u);
  const size_t counts[kNumScaleTypes] = {8, 8, 8, 6, 6, 9, 8, 7, 8, 9,
                                         8, 8, 8, 8, 8, 8, 8, 8, 8, 13};
  for (int type = 0; type < kNumScaleTypes; ++type) {
    for (int key = 0; key < kNumKeys; ++key) {
      SCOPED_TRACE(type * 12 + key);
      const Notes& n = scales.at(type * 12 + key).mNotes;
      EXPECT_EQ(n.size(), counts[type]);
      // G and above sit below middle C; every list spans exactly one octave.
      EXPECT_EQ(n.front(), key <= 6 ? 60 + key : 48 + key);
      EXPECT_EQ(n.back(), n.front() + 12);
    }
  }
}

TEST(ScaleTable, EveryEntry) {
  // Semitones above the root of each type, in menu order.
  const Notes offsets[kNumScaleTypes] = {
      {0, 2, 4, 5, 7, 9, 11, 12}, {0, 2, 3, 5, 7, 8, 11, 12},
      {0, 2, 3, 5, 7, 8, 10, 12}, {0, 2, 4, 7, 9, 12},
      {0, 3, 5, 7, 10, 12},       {0, 2, 3, 5, 6, 8, 9, 11, 12},
      {0, 2, 3, 5, 6, 8, 10, 12}, {0, 3, 5, 6, 7, 10, 12},
      {0, 2, 3, 5, 7, 9, 11, 12}, {0, 2, 4, 5, 7, 9, 10, 11, 12},
      {0, 1, 3, 5, 7, 8, 10, 12}, {0, 1, 4, 5, 7, 8, 10, 12},
      {0, 2, 4, 6, 7, 9, 11, 12}, {0, 2, 4, 6, 8, 9, 11, 12},
      {0, 2, 4, 6, 7, 9, 10, 12}, {0, 2, 4, 5, 7, 9, 10, 12},
      {0, 2, 3, 5, 7, 9, 10, 12}, {0, 1, 3, 5, 6, 8, 10, 12},
      {0, 1, 3, 4, 6, 8, 10, 12}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
  const int32_t roots[kNumKeys] = {60, 61, 62, 63, 64, 65, 66, 55, 56, 57, 58, 59};
  ASSERT_EQ(scales.size(), 240u);
  for (int type = 0; type < kNumScaleTypes; ++type)
    for (int key = 0; key < kNumKeys; ++key) {
      Notes want;
      for (int32_t o : offsets[type]) want.push_back(roots[key] + o);
      EXPECT_EQ(scales[type * 12 + key].mNotes, want) << "type " << type << " key " << key;
    }
}

TEST(ChordTable, CountsRangesAndShape) {
  ASSERT_EQ(chords.size(), 348u);
  ExpectWellFormed(chords, 60, 92);
  EXPECT_EQ(TotalNotes(chords), 1536u);
  const size_t counts[kNumChordTypes] = {3, 3, 3, 4, 5, 4, 3, 4, 4, 4, 4, 5, 3, 4, 4,
                                         4, 4, 5, 5, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6};
  for (int type = 0; type < kNumChordTypes; ++type) {
    for (int key = 0; key < kNumKeys; ++key) {
      SCOPED_TRACE(type * 12 + key);
      const Notes& n = chords.at(type * 12 + key).mNotes;
      EXPECT_EQ(n.size(), counts[type]);
      EXPECT_EQ(n.front(), 60 + key); // no key drops an octave
      for (int32_t note : n) EXPECT_NE(note, n.front() + 12);
    }
  }
}

TEST(MusicTables, LiteralEntries) {
  const struct {
    const std::vector<Scale>& table;
    int index;
    Notes notes;
  } cases[] = {
      {scales, 0, {60, 62, 64, 65, 67, 69, 71, 72}},
      {scales, 6, {66, 68, 70, 71, 73, 75, 77, 78}},
      {scales, 7, {55, 57, 59, 60, 62, 64, 66, 67}},
      {scales, 11, {59, 61, 63, 64, 66, 68, 70, 71}},
      {scales, 21, {57, 59, 60, 62, 64, 65, 68, 69}}, // harmonic minor: 11, not 10
      {scales, 33, {57, 59, 60, 62, 64, 65, 67, 69}}, // natural minor
      {scales, 57, {57, 60, 62, 64, 67, 69}},
      {scales, 239, {59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71}},
      {chords, 0, {60, 64, 67}},
      {chords, 11, {71, 75, 78}},
      {chords, 132, {60, 63, 67, 70, 74}}, // m9 keeps its seventh
      {chords, 146, {62, 65, 68}},
      {chords, 307, {67, 71, 74, 77, 81, 84}},
      {chords, 312, {60, 64, 67, 70, 73, 77}},
      {chords, 324, {60, 64, 67, 70, 74, 81}},
      {chords, 347, {71, 75, 78, 80, 85, 92}}, // 13b9: sixth, no seventh
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(c.table.at(c.index).mNotes, c.notes);
  }
}

TEST(RhythmTable, NoteLengths) {
  const struct {
    const int32_t& value;
    int32_t ticks;
  } cases[] = {{quarter, 120},     {third, 160},      {fifth, 96},     {sixth, 80},
               {eighth, 60},       {twelveth, 40},    {sixteenth, 30}, {twentyfourth, 20},
               {thirtysecond, 15}, {fortyeighth, 10}, {sixtyfourth, 7}};
  for (const auto& c : cases) EXPECT_EQ(c.value, c.ticks);
}

TEST(RhythmTable, EvenlySpacedOnsets) {
  ASSERT_EQ(rhythms.size(), 13u);
  const int counts[13] = {64, 48, 32, 24, 16, 12, 8, 6, 5, 4, 3, 2, 1};
  size_t total = 0;
  for (size_t i = 0; i < rhythms.size(); ++i) {
    SCOPED_TRACE(i);
    const Notes& onsets = rhythms.at(i).mOnsets;
    ASSERT_EQ(static_cast<int>(onsets.size()), counts[i]);
    EXPECT_EQ(std::string(kRhythmMenuTexts[i]),
              counts[i] == 1 ? "1" : "1/" + std::to_string(counts[i]));
    // Onset k of a 1/n row is floor(k x 480 / n): ascending, from 0, below 480.
    for (int k = 0; k < counts[i]; ++k) EXPECT_EQ(onsets[k], k * 480 / counts[i]);
    total += onsets.size();
  }
  EXPECT_EQ(total, 225u);
  const Notes sixtyFourthHead = {0, 7, 15, 22, 30, 37, 45, 52, 60};
  EXPECT_EQ(Notes(rhythms[0].mOnsets.begin(), rhythms[0].mOnsets.begin() + 9), sixtyFourthHead);
  EXPECT_EQ(rhythms[0].mOnsets[63], 472);
  EXPECT_EQ(rhythms[8].mOnsets, (Notes{0, 96, 192, 288, 384}));
  EXPECT_EQ(rhythms[11].mOnsets, (Notes{0, 240}));
  EXPECT_EQ(rhythms[12].mOnsets, (Notes{0}));
}

TEST(MusicTables, OutOfRangeLookupThrows) {
  EXPECT_THROW(scales.at(240), std::out_of_range);
  EXPECT_THROW(chords.at(348), std::out_of_range);
  EXPECT_THROW(rhythms.at(13), std::out_of_range);
  const int negative = -1; // readers pass ints; a negative index must not slip through
  EXPECT_THROW(scales.at(negative), std::out_of_range);
  EXPECT_THROW(chords.at(negative), std::out_of_range);
  EXPECT_THROW(rhythms.at(negative), std::out_of_range);
}

TEST(ChordTable, EveryEntry) {
  // Semitones above the root of each type, in menu order; the root is 60 + key.
  // clang-format off
  const Notes offsets[kNumChordTypes] = {
      {0, 4, 7},         {0, 5, 7},             {0, 4, 8},             {0, 4, 7, 9},
      {0, 4, 7, 9, 14},  {0, 4, 7, 11},         {0, 3, 7},             {0, 3, 7, 9},
      {0, 3, 7, 10},     {0, 3, 6, 10},         {0, 3, 7, 11},         {0, 3, 7, 10, 14},
      {0, 3, 6},         {0, 4, 7, 10},         {0, 5, 7, 10},         {0, 4, 6, 10},
      {0, 4, 8, 10},     {0, 4, 7, 10, 13},     {0, 4, 7, 10, 15},     {0, 4, 7, 14},
      {0, 4, 7, 11, 14}, {0, 4, 7, 10, 14},     {0, 5, 7, 10, 14},     {0, 4, 8, 10, 14},
      {0, 4, 6, 10, 14}, {0, 4, 7, 10, 14, 17}, {0, 4, 7, 10, 13, 17}, {0, 4, 7, 10, 14, 21},
      {0, 4, 7, 9, 14, 21}};
  // clang-format on
  ASSERT_EQ(chords.size(), 348u);
  for (int type = 0; type < kNumChordTypes; ++type)
    for (int key = 0; key < kNumKeys; ++key) {
      Notes want;
      for (int32_t o : offsets[type]) want.push_back(60 + key + o);
      EXPECT_EQ(chords[type * 12 + key].mNotes, want) << "type " << type << " key " << key;
    }
}

std::string Joined(const char* const* texts, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? "|" : "") + std::string(texts[i]);
  return s;
}

TEST(MusicTables, MenuAndDisplayTexts) {
  EXPECT_EQ(Joined(kKeyMenuTexts, kNumKeys), "C|C#/Db|D|D#/Eb|E|F|F#/Gb|G|G#/Ab|A|A#/Bb|B");
  EXPECT_EQ(Joined(kKeyDisplayTexts, kNumKeys), "C|C#|D|D#|E|F|F#|G|G#|A|A#|B");
  EXPECT_EQ(Joined(kScaleTypeMenuTexts, kNumScaleTypes),
            "Major|Minor|Natural Minor|Major Pentatonic|Minor Pentatonic|Diminished|"
            "Half Diminished|Minor Blues|Melodic Minor Ascending|Dominant Bebop|Phyrgian Mode|"
            "Phyrgian Dominant|Lydian Mode|Lydian Augmented|Lydian Dominant|Mixolydian Mode|"
            "Dorian Mode|Locrian Mode|Altered Scale|Chromatic Scale");
  EXPECT_EQ(Joined(kScaleTypeDisplayTexts, kNumScaleTypes),
            "maj|min|natural|maj pen|min pen|dim|1/2dim|blues|mel min|bebop|phr|phr dom|lyd|"
            "lyd aug|lyd dom|mixo|dorian|locrain|alt|chrm");
  EXPECT_EQ(Joined(kChordTypeMenuTexts, kNumChordTypes),
            "Major|Major suspended 4th|Major augmented 5th|Major add 6th|Major add 6th and 9th|"
            "Major 7th|Minor|Minor add 6th|Minor 7th|Minor 7th w flat 5th|Minor add Maj 7th|"
            "Minor add 9th|Diminished|7|7sus4|7(b5)|7+|7(b9)|7(sharp9)|add9|Maj9|9|9sus4|9+|"
            "9(b5)|11|11b9|13|13b9");
  EXPECT_EQ(Joined(kChordTypeDisplayTexts, kNumChordTypes),
            "maj|sus4|aug|add6|6add9|maj7|min|m6|m7|m7b5|mmaj7|m9|dim|7|7sus4|7(b5)|7+|7(b9)|"
            "7(#9)|add9|maj9|9|9sus4|9+|9(b5)|11|11b9|13|13b9");
}

} // namespace
