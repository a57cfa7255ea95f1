// Bitmaps for tests: plain memory with a chosen row span and optional bottom-up storage.
#pragma once

#include "WDL/lice/lice.h"

#include <cstdint>
#include <random>
#include <vector>

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

  // Logical pixel (x, y), honouring the storage order.
  LICE_pixel& at(int x, int y) { return m_px[(size_t)(m_flipped ? m_h - 1 - y : y) * m_span + x]; }
  std::vector<LICE_pixel>& raw() { return m_px; }
  void Randomize(std::mt19937& rng) {
    for (auto& p : m_px) p = (LICE_pixel)rng();
  }

private:
  int m_w, m_h, m_span;
  bool m_flipped;
  std::vector<LICE_pixel> m_px;
};
