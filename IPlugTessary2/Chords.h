#pragma once

// The table of every chord type in every key, as `Scale` records.

#include "IPlugTessary2/Scale.h"

// Chord types in menu order; a type's entries in `chords` start at type x kNumKeys.
enum ETypesChords {
  kChordMajor = 0,
  kChordSus4,
  kChordAug,
  kChordAdd6,
  kChord6Add9,
  kChordMaj7,
  kChordMinor,
  kChordMinor6,
  kChordMinor7,
  kChordMinor7Flat5,
  kChordMinorMaj7,
  kChordMinor9,
  kChordDiminished,
  kChord7,
  kChord7Sus4,
  kChord7Flat5,
  kChord7Aug,
  kChord7Flat9,
  kChord7Sharp9,
  kChordAdd9,
  kChordMaj9,
  kChord9,
  kChord9Sus4,
  kChord9Aug,
  kChord9Flat5,
  kChord11,
  kChord11Flat9,
  kChord13,
  kChord13Flat9,
  kNumChordTypes
};

// Menu and short display texts of the chord types, indexed by ETypesChords.
inline constexpr const char* kChordTypeMenuTexts[kNumChordTypes] = {"Major",
                                                                    "Major suspended 4th",
                                                                    "Major augmented 5th",
                                                                    "Major add 6th",
                                                                    "Major add 6th and 9th",
                                                                    "Major 7th",
                                                                    "Minor",
                                                                    "Minor add 6th",
                                                                    "Minor 7th",
                                                                    "Minor 7th w flat 5th",
                                                                    "Minor add Maj 7th",
                                                                    "Minor add 9th",
                                                                    "Diminished",
                                                                    "7",
                                                                    "7sus4",
                                                                    "7(b5)",
                                                                    "7+",
                                                                    "7(b9)",
                                                                    "7(sharp9)",
                                                                    "add9",
                                                                    "Maj9",
                                                                    "9",
                                                                    "9sus4",
                                                                    "9+",
                                                                    "9(b5)",
                                                                    "11",
                                                                    "11b9",
                                                                    "13",
                                                                    "13b9"};
inline constexpr const char* kChordTypeDisplayTexts[kNumChordTypes] = {
    "maj",   "sus4", "aug",   "add6", "6add9", "maj7",  "min",  "m6",    "m7",    "m7b5",
    "mmaj7", "m9",   "dim",   "7",    "7sus4", "7(b5)", "7+",   "7(b9)", "7(#9)", "add9",
    "maj9",  "9",    "9sus4", "9+",   "9(b5)", "11",    "11b9", "13",    "13b9"};

// 348 entries, index = type x 12 + key; root 60 + key in every key, so all notes lie in
// 60-92. Built before any plug-in object exists and never written afterwards: any thread
// may read it without a lock. `at` throws std::out_of_range for an index outside 0-347.
extern const std::vector<Scale> chords;
