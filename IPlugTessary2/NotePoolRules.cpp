#include "IPlugTessary2/NotePoolRules.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Contains(const std::vector<int>& v, int n) {
  return std::find(v.begin(), v.end(), n) != v.end();
}

} // namespace

std::vector<int> BuildNotePool(const std::vector<int>& chosenKeys,
                               const bool copyOn[kNumOctaveCopies]) {
  std::vector<int> pool;
  BuildNotePool(chosenKeys, copyOn, pool);
  return pool;
}

void BuildNotePool(const std::vector<int>& chosenKeys, const bool copyOn[kNumOctaveCopies],
                   std::vector<int>& pool) {
  pool.clear();
  for (int i = 0; i < kNumOctaveCopies; ++i) {
    if (!copyOn[i]) continue;
    for (int k : chosenKeys) {
      const int n = k + (i - kOctaveZeroCopy) * 12;
      if (n >= 0 && n <= 127 && !Contains(pool, n)) pool.push_back(n);
    }
  }
}

void AppendOctaveCopies(const std::vector<int>& chosenKeys, int octave, std::vector<int>& pool) {
  for (int k : chosenKeys) {
    if (pool.size() == pool.capacity() && pool.size() >= (size_t)kMaxPoolSize) return;
    if (octave == 0) {
      pool.push_back(k);
      continue;
    }
    const int n = k + 12 * octave;
    if (n >= 0 && n <= 127 && !Contains(chosenKeys, n)) pool.push_back(n);
  }
}

void UsedNotes::Set(int note, int index) {
  for (int i = 0; i < count; ++i) {
    if (entries[(size_t)i].first == note) {
      entries[(size_t)i].second = index;
      return;
    }
  }
  if (count < (int)entries.size()) entries[(size_t)count++] = {note, index};
}

int DrawChordPoolIndex(const std::map<int, int>& used, int poolSize) {
  UsedNotes u;
  for (const auto& e : used) u.Set(e.first, e.second);
  return DrawChordPoolIndex(u, poolSize);
}

int DrawChordPoolIndex(const UsedNotes& used, int poolSize) {
  auto taken = [&used](int index) {
    for (int i = 0; i < used.count; ++i) {
      if (used.entries[(size_t)i].second == index) return true;
    }
    return false;
  };
  int i = rand() % poolSize;
  if (!taken(i) || used.count >= poolSize) return i;
  int nFree = 0;
  for (int c = 0; c < poolSize; ++c) nFree += !taken(c);
  // Fewer used notes than indices and distinct notes have distinct first places, so at
  // least one index is free; guard anyway rather than divide by zero.
  if (nFree == 0) return i;
  int k = (int)((size_t)rand() % (size_t)nFree);
  for (int c = 0; c < poolSize; ++c) {
    if (!taken(c) && k-- == 0) return c;
  }
  return i;
}
