// The music tables live in this one file on purpose: dynamic initialisation within a
// translation unit follows definition order, so `rhythms` sees the note lengths already
// computed, and the tables are destroyed in reverse (rhythms, chords, scales) at exit.

#include "IPlugTessary2/Scale.h"
#include "IPlugTessary2/Chords.h"
#include "IPlugTessary2/Rhythm.h"

#include <cstddef>
#include <initializer_list>

namespace {

using Offsets = std::initializer_list<int32_t>;

// Semitones above the root, indexed by ETypes.
const Offsets kScaleOffsets[kNumScaleTypes] = {
    {0, 2, 4, 5, 7, 9, 11, 12},                 // Major
    {0, 2, 3, 5, 7, 8, 11, 12},                 // Minor
    {0, 2, 3, 5, 7, 8, 10, 12},                 // Natural Minor
    {0, 2, 4, 7, 9, 12},                        // Major Pentatonic
    {0, 3, 5, 7, 10, 12},                       // Minor Pentatonic
    {0, 2, 3, 5, 6, 8, 9, 11, 12},              // Diminished
    {0, 2, 3, 5, 6, 8, 10, 12},                 // Half Diminished
    {0, 3, 5, 6, 7, 10, 12},                    // Minor Blues
    {0, 2, 3, 5, 7, 9, 11, 12},                 // Melodic Minor Ascending
    {0, 2, 4, 5, 7, 9, 10, 11, 12},             // Dominant Bebop
    {0, 1, 3, 5, 7, 8, 10, 12},                 // Phrygian Mode
    {0, 1, 4, 5, 7, 8, 10, 12},                 // Phrygian Dominant
    {0, 2, 4, 6, 7, 9, 11, 12},                 // Lydian Mode
    {0, 2, 4, 6, 8, 9, 11, 12},                 // Lydian Augmented
    {0, 2, 4, 6, 7, 9, 10, 12},                 // Lydian Dominant
    {0, 2, 4, 5, 7, 9, 10, 12},                 // Mixolydian Mode
    {0, 2, 3, 5, 7, 9, 10, 12},                 // Dorian Mode
    {0, 1, 3, 5, 6, 8, 10, 12},                 // Locrian Mode
    {0, 1, 3, 4, 6, 8, 10, 12},                 // Altered Scale
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, // Chromatic Scale
};

// Semitones above the root, indexed by ETypesChords.
const Offsets kChordOffsets[kNumChordTypes] = {
    {0, 4, 7},             // Major
    {0, 5, 7},             // sus4
    {0, 4, 8},             // aug
    {0, 4, 7, 9},          // add6
    {0, 4, 7, 9, 14},      // 6add9
    {0, 4, 7, 11},         // maj7
    {0, 3, 7},             // Minor
    {0, 3, 7, 9},          // m6
    {0, 3, 7, 10},         // m7
    {0, 3, 6, 10},         // m7b5
    {0, 3, 7, 11},         // mmaj7
    {0, 3, 7, 10, 14},     // m9
    {0, 3, 6},             // dim
    {0, 4, 7, 10},         // 7
    {0, 5, 7, 10},         // 7sus4
    {0, 4, 6, 10},         // 7(b5)
    {0, 4, 8, 10},         // 7+
    {0, 4, 7, 10, 13},     // 7(b9)
    {0, 4, 7, 10, 15},     // 7(#9)
    {0, 4, 7, 14},         // add9
    {0, 4, 7, 11, 14},     // maj9
    {0, 4, 7, 10, 14},     // 9
    {0, 5, 7, 10, 14},     // 9sus4
    {0, 4, 8, 10, 14},     // 9+
    {0, 4, 6, 10, 14},     // 9(b5)
    {0, 4, 7, 10, 14, 17}, // 11
    {0, 4, 7, 10, 13, 17}, // 11b9
    {0, 4, 7, 10, 14, 21}, // 13
    {0, 4, 7, 9, 14, 21},  // 13b9 (sixth, not seventh)
};

// Type-major: the 12 keys of type 0, then those of type 1, and so on.
template <int N>
std::vector<Scale> BuildTable(const Offsets (&offsets)[N], int32_t (*root)(int32_t key)) {
  std::vector<Scale> table;
  table.reserve(static_cast<std::size_t>(N) * kNumKeys);
  for (int32_t type = 0; type < N; ++type) {
    for (int32_t key = 0; key < kNumKeys; ++key) {
      std::vector<int32_t> notes;
      notes.reserve(offsets[type].size());
      for (int32_t step : offsets[type]) notes.push_back(root(key) + step);
      table.emplace_back(key, type, std::move(notes));
    }
  }
  return table;
}

// Scales from G upwards start below middle C, keeping the table within 55-78.
int32_t ScaleRoot(int32_t key) {
  return key <= kFSharp ? 60 + key : 48 + key;
}
int32_t ChordRoot(int32_t key) {
  return 60 + key;
}

std::vector<Rhythm> BuildRhythms() {
  // Rows 0-10: count and step; row 0 adds floor(k / 2) so its 7.5-tick step stays even.
  const struct {
    int count;
    int32_t step;
  } rows[] = {{64, sixtyfourth}, {48, fortyeighth}, {32, thirtysecond}, {24, twentyfourth},
              {16, sixteenth},   {12, twelveth},    {8, eighth},        {6, sixth},
              {5, fifth},        {4, quarter},      {3, third}};
  std::vector<Rhythm> table;
  table.reserve(kNumRhythms);
  for (const auto& row : rows) {
    const bool halfSteps = &row == &rows[0];
    std::vector<int32_t> onsets;
    onsets.reserve(static_cast<std::size_t>(row.count));
    for (int32_t k = 0; k < row.count; ++k)
      onsets.push_back(k * row.step + (halfSteps ? k / 2 : 0));
    table.emplace_back(std::move(onsets));
  }
  table.emplace_back(std::vector<int32_t>{0, 2 * quarter});
  table.emplace_back(std::vector<int32_t>{0});
  return table;
}

} // namespace

const std::vector<Scale> scales = BuildTable(kScaleOffsets, ScaleRoot);
const std::vector<Scale> chords = BuildTable(kChordOffsets, ChordRoot);

const int32_t quarter = 120;
const int32_t third = quarter * 4 / 3;
const int32_t fifth = quarter * 4 / 5;
const int32_t sixth = quarter * 2 / 3;
const int32_t eighth = quarter / 2;
const int32_t twelveth = quarter / 3;
const int32_t sixteenth = quarter / 4;
const int32_t twentyfourth = quarter / 6;
const int32_t thirtysecond = quarter / 8;
const int32_t fortyeighth = quarter / 12;
const int32_t sixtyfourth = quarter / 16;

const std::vector<Rhythm> rhythms = BuildRhythms();
