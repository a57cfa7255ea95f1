// Helpers shared by the shape tests: bitmaps sized exactly (so ASan sees any stray access),
// optionally stored bottom-up, and pixel-set comparisons.
#pragma once

#include "WDL/lice/lice.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels in a block of exactly width x height words, row span = width.
class TightBitmap : public LICE_IBitmap {
public:
  TightBitmap(int w, int h, bool flipped = false, LICE_pixel fill = 0)
      : m_w(w), m_h(h), m_flipped(flipped), m_px((size_t)w * h, fill) {}
  LICE_pixel* getBits() override { return m_px.empty() ? nullptr : m_px.data(); }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_w; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // Pixel (x, y) in the caller's top-down view.
  LICE_pixel& at(int x, int y) { return m_px[(size_t)(m_flipped ? m_h - 1 - y : y) * m_w + x]; }
  // Pixel at memory row y.
  LICE_pixel& mem(int x, int y) { return m_px[(size_t)y * m_w + x]; }
  const std::vector<LICE_pixel>& pixels() const { return m_px; }
  void Fill(LICE_pixel c) { std::fill(m_px.begin(), m_px.end(), c); }
  int Count(LICE_pixel bg = 0) const {
    int n = 0;
    for (LICE_pixel p : m_px) n += p != bg;
    return n;
  }

private:
  int m_w, m_h;
  bool m_flipped;
  std::vector<LICE_pixel> m_px;
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
