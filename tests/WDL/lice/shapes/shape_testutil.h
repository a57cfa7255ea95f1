// Helpers shared by the shape tests: bitmaps sized exactly (so ASan sees any stray access),
// optionally stored bottom-up, seeded sources and pixel sets.
#pragma once

#include "WDL/lice/lice_test_bitmaps.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

// Pixels in a block of exactly width x height words, row span = width.
class TightBitmap : public TestBitmap {
public:
  TightBitmap(int w, int h, bool flipped = false, LICE_pixel fill = 0)
      : TestBitmap(w, h, flipped, 0, fill) {}
  // Pixel at memory row y.
  LICE_pixel& mem(int x, int y) { return raw()[(size_t)y * getWidth() + x]; }
  const std::vector<LICE_pixel>& pixels() { return raw(); }
  void Fill(LICE_pixel c) { std::fill(raw().begin(), raw().end(), c); }
  int Count(LICE_pixel bg = 0) {
    return (int)(raw().size() - std::count(raw().begin(), raw().end(), bg));
  }
  // The (x, y) of every pixel other than 0, in the top-down view.
  std::set<std::pair<int, int>> Drawn() {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < getHeight(); y++)
      for (int x = 0; x < getWidth(); x++)
        if (at(x, y)) s.insert({x, y});
    return s;
  }
};

// Deterministic pseudo-random numbers for the seeded comparisons.
struct TestRng {
  uint32_t s;
  explicit TestRng(uint32_t seed) : s(seed ? seed : 1) {}
  uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  int Int(int lo, int hi) {
    return (int)(lo + (int64_t)(Next() % (uint64_t)((int64_t)hi - lo + 1)));
  }
  float Float(float lo, float hi) {
    return lo + (hi - lo) * (float)(Next() & 0xFFFFFF) / 16777216.0f;
  }
};

// A source whose pixels are opaque and (almost surely) distinct.
inline void Pattern(TightBitmap* bm, uint32_t seed = 1) {
  TestRng rng(seed);
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++) bm->at(x, y) = rng.Next() | 0xFF000000;
}
