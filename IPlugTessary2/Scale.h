#pragma once

// A scale (or chord) as playable MIDI notes, and the table of every scale type in every key.

#include <cstdint>
#include <utility>
#include <vector>

// Keys of the scale and chord tables, C to B.
enum ENotes {
  kC = 0,
  kCSharp,
  kD,
  kDSharp,
  kE,
  kF,
  kFSharp,
  kG,
  kGSharp,
  kA,
  kASharp,
  kB,
  kNumKeys
};

// Scale types in menu order; a type's entries in `scales` start at type x kNumKeys.
enum ETypes {
  kMajor = 0,
  kMinor, // harmonic minor steps
  kNaturalMinor,
  kMajorPentatonic,
  kMinorPentatonic,
  kDiminished,
  kHalfDiminished,
  kMinorBlues,
  kMelodicMinorAscending,
  kDominantBebop,
  kPhrygianMode,
  kPhrygianDominant,
  kLydianMode,
  kLydianAugmented,
  kLydianDominant,
  kMixolydianMode,
  kDorianMode,
  kLocrianMode,
  kAlteredScale,
  kChromaticScale,
  kNumScaleTypes
};

// Menu and short display texts of the keys and scale types, indexed by ENotes and ETypes.
// The spellings are the ones users have always seen; keep them.
inline constexpr const char* kKeyMenuTexts[kNumKeys] = {
    "C", "C#/Db", "D", "D#/Eb", "E", "F", "F#/Gb", "G", "G#/Ab", "A", "A#/Bb", "B"};
inline constexpr const char* kKeyDisplayTexts[kNumKeys] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                           "F#", "G",  "G#", "A",  "A#", "B"};
inline constexpr const char* kScaleTypeMenuTexts[kNumScaleTypes] = {"Major",
                                                                    "Minor",
                                                                    "Natural Minor",
                                                                    "Major Pentatonic",
                                                                    "Minor Pentatonic",
                                                                    "Diminished",
                                                                    "Half Diminished",
                                                                    "Minor Blues",
                                                                    "Melodic Minor Ascending",
                                                                    "Dominant Bebop",
                                                                    "Phyrgian Mode",
                                                                    "Phyrgian Dominant",
                                                                    "Lydian Mode",
                                                                    "Lydian Augmented",
                                                                    "Lydian Dominant",
                                                                    "Mixolydian Mode",
                                                                    "Dorian Mode",
                                                                    "Locrian Mode",
                                                                    "Altered Scale",
                                                                    "Chromatic Scale"};
inline constexpr const char* kScaleTypeDisplayTexts[kNumScaleTypes] = {
    "maj",     "min",     "natural", "maj pen", "min pen", "dim", "1/2dim",
    "blues",   "mel min", "bebop",   "phr",     "phr dom", "lyd", "lyd aug",
    "lyd dom", "mixo",    "dorian",  "locrain", "alt",     "chrm"};

// One playable set of pitches. Plain value record; copies own their note list.
struct Scale {
  Scale(int32_t key, int32_t type, std::vector<int32_t> notes)
      : mNotes(std::move(notes)), mKey(key), mType(type) {}

  std::vector<int32_t> mNotes; // MIDI note numbers, strictly ascending
  int32_t mKey;                // 0-11 (ENotes)
  int32_t mType;               // ETypes in `scales`, ETypesChords in `chords`
};

// 240 entries, index = type x 12 + key. Built before any plug-in object exists and never
// written afterwards, so any thread may read it without a lock. Look entries up with `at`,
// which throws std::out_of_range for an index outside 0-239.
// Roots: 60 + key for C to F#, 48 + key for G to B; every list spans root .. root + 12.
extern const std::vector<Scale> scales;
