// Test helpers: plain-memory bitmaps with a chosen row span and optional bottom-up storage
// (sized exactly, so the sanitizer build sees any stray access), seeded numbers, ink boxes.
#pragma once

#include "WDL/lice/lice.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

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

// First and last set pixel of a memory row (or column), and whether they form one run.
struct Span {
  int first = -1, last = -1;
  bool solid = true;
};

// Rows stored bottom-up when flipped; span may exceed the width to leave guard columns.
class TestBitmap : public LICE_IBitmap {
public:
  TestBitmap(int w, int h, bool flipped = false, int span = 0, LICE_pixel fill = 0)
      : m_w(w), m_h(h), m_span(span ? span : w), m_flipped(flipped),
        m_px((size_t)m_span * h, fill) {}
  LICE_pixel* getBits() override { return m_px.empty() ? nullptr : m_px.data(); }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // Logical pixel (x, y), honouring the storage order; mem() is by memory row.
  LICE_pixel& at(int x, int y) { return m_px[(size_t)(m_flipped ? m_h - 1 - y : y) * m_span + x]; }
  LICE_pixel& mem(int x, int y) { return m_px[(size_t)y * m_span + x]; }
  std::vector<LICE_pixel>& raw() { return m_px; }
  // Random pixels, with the bits of `set` forced on (0xFF000000: opaque, almost surely distinct).
  void Randomize(uint32_t seed, LICE_pixel set = 0) {
    TestRng rng(seed);
    for (auto& p : m_px) p = rng.Next() | set;
  }
  int Count() { return (int)(m_px.size() - std::count(m_px.begin(), m_px.end(), 0u)); }
  Span Run(int k, bool column = false) {
    Span r;
    for (int i = 0; i < (column ? m_h : m_w); i++)
      if (column ? mem(k, i) : mem(i, k)) {
        r.solid &= r.first < 0 || r.last == i - 1;
        r.first = r.first < 0 ? i : r.first;
        r.last = i;
      }
    return r;
  }
  // The (x, y) of every pixel other than 0, in the top-down view.
  std::set<std::pair<int, int>> Drawn() {
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++)
        if (at(x, y)) s.insert({x, y});
    return s;
  }

private:
  int m_w, m_h, m_span;
  bool m_flipped;
  std::vector<LICE_pixel> m_px;
};

// Where text left its ink: the bounding box of the pixels with any red, right and bottom
// exclusive; left = -1 when nothing is inked.
inline RECT InkBox(LICE_IBitmap* bm) {
  RECT b = {-1, -1, -1, -1};
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++)
      if (LICE_GETR(LICE_GetPixel(bm, x, y))) {
        if (b.left < 0) b = {x, y, x + 1, y + 1};
        b = {std::min((int)b.left, x), std::min((int)b.top, y), std::max((int)b.right, x + 1),
             std::max((int)b.bottom, y + 1)};
      }
  return b;
}
