#include "IPlugTessary2/NotePoolRules.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

bool Contains(const std::vector<int>& v, int n) {
  return std::find(v.begin(), v.end(), n) != v.end();
}

} // namespace

std::vector<int> BuildNotePool(const std::vector<int>& chosenKeys,
                               const bool copyOn[kNumOctaveCopies]) {
  std::vector<int> pool;
  for (int i = 0; i < kNumOctaveCopies; ++i) {
    if (!copyOn[i]) continue;
    for (int k : chosenKeys) {
      const int n = k + (i - kOctaveZeroCopy) * 12;
      if (n >= 0 && n <= 127 && !Contains(pool, n)) pool.push_back(n);
    }
  }
  return pool;
}

void AppendOctaveCopies(const std::vector<int>& chosenKeys, int octave, std::vector<int>& pool) {
  for (int k : chosenKeys) {
    if (octave == 0) {
      pool.push_back(k);
      continue;
    }
    const int n = k + 12 * octave;
    if (n >= 0 && n <= 127 && !Contains(chosenKeys, n)) pool.push_back(n);
  }
}

int DrawChordPoolIndex(const std::map<int, int>& used, int poolSize) {
  int i = rand() % poolSize;
  std::set<int> taken;
  for (const auto& u : used) taken.insert(u.second);
  if (!taken.count(i) || static_cast<int>(used.size()) >= poolSize) return i;
  std::vector<int> free;
  for (int c = 0; c < poolSize; ++c) {
    if (!taken.count(c)) free.push_back(c);
  }
  // Fewer used notes than indices and distinct notes have distinct first places, so at
  // least one index is free; guard anyway rather than divide by zero.
  if (free.empty()) return i;
  return free[static_cast<size_t>(rand()) % free.size()];
}
