#pragma once

// How the note pool follows the chosen keys and the nine octave copies. Pure functions
// over plain vectors, so the order rules can be checked without a plug-in.

#include <array>
#include <map>
#include <utility>
#include <vector>

// Copy i (0-8) shifts every chosen key by (i - 4) octaves; copy 4 is the keys themselves.
inline constexpr int kNumOctaveCopies = 9;
inline constexpr int kOctaveZeroCopy = 4;
// Most entries a pool holds: every copy appended once, and a note per key added by hand.
inline constexpr int kMaxPoolSize = (kNumOctaveCopies + 1) * 128;

// The pool from scratch: the enabled copies from the lowest octave up, inside one copy
// the keys in their (ascending) order; notes outside 0-127 and repeats are left out.
std::vector<int> BuildNotePool(const std::vector<int>& chosenKeys,
                               const bool copyOn[kNumOctaveCopies]);
// The same into pool, which keeps its storage (no allocation within its capacity).
void BuildNotePool(const std::vector<int>& chosenKeys, const bool copyOn[kNumOctaveCopies],
                   std::vector<int>& pool);

// Appends the copies of one octave (-4..+4) that switching it on adds. Octave 0 appends
// every chosen key; another octave appends the copies within 0-127 that are not chosen
// keys themselves. The pool is not searched, so a note another copy put there stays twice.
// A pool at its capacity takes no more (never past kMaxPoolSize once reserved).
void AppendOctaveCopies(const std::vector<int>& chosenKeys, int octave, std::vector<int>& pool);

// Pool index for a further note of a chord: a draw of rand() % poolSize, redrawn among the
// indices not in `used` (note -> pool index, -1 for a note outside the pool) when it hits a
// used one and some index is still free. poolSize must be above 0. Draws from rand().
int DrawChordPoolIndex(const std::map<int, int>& used, int poolSize);

// The notes already placed at one chord position, each with its first place in the pool (-1
// when not there), in fixed storage: generation may run on the render thread.
struct UsedNotes {
  // Stores the note's index, replacing one stored before; a note beyond the room is dropped.
  void Set(int note, int index);
  void Clear() { count = 0; }
  bool Empty() const { return count == 0; }
  int count = 0;
  std::array<std::pair<int, int>, 130> entries{}; // (note, pool index): -2 and 0-127
};
int DrawChordPoolIndex(const UsedNotes& used, int poolSize);
