#pragma once

// How the note pool follows the chosen keys and the nine octave copies. Pure functions
// over plain vectors, so the order rules can be checked without a plug-in.

#include <map>
#include <vector>

// Copy i (0-8) shifts every chosen key by (i - 4) octaves; copy 4 is the keys themselves.
inline constexpr int kNumOctaveCopies = 9;
inline constexpr int kOctaveZeroCopy = 4;

// The pool from scratch: the enabled copies from the lowest octave up, inside one copy
// the keys in their (ascending) order; notes outside 0-127 and repeats are left out.
std::vector<int> BuildNotePool(const std::vector<int>& chosenKeys,
                               const bool copyOn[kNumOctaveCopies]);

// Appends the copies of one octave (-4..+4) that switching it on adds. Octave 0 appends
// every chosen key; another octave appends the copies within 0-127 that are not chosen
// keys themselves. The pool is not searched, so a note another copy put there stays twice.
void AppendOctaveCopies(const std::vector<int>& chosenKeys, int octave, std::vector<int>& pool);

// Pool index for a further note of a chord: a draw of rand() % poolSize, redrawn among the
// indices not in `used` (note -> pool index, -1 for a note outside the pool) when it hits a
// used one and some index is still free. poolSize must be above 0. Draws from rand().
int DrawChordPoolIndex(const std::map<int, int>& used, int poolSize);
