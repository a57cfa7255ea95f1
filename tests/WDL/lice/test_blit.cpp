#include "WDL/lice/lice.h"
#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <random>

namespace {
// Where LICE_Blit must put each source pixel: dest (dstx + s - left, dsty + t - top) for every
// source pixel (s, t) of the rectangle that exists in the source and lands in the destination.
void ReferenceBlit(TestBitmap& dest, TestBitmap& src, int dstx, int dsty, const RECT& r) {
  for (int t = std::max(r.top, 0); t < std::min(r.bottom, src.getHeight()); t++)
    for (int s = std::max(r.left, 0); s < std::min(r.right, src.getWidth()); s++) {
      const long X = (long)dstx + s - r.left, Y = (long)dsty + t - r.top;
      if (X >= 0 && Y >= 0 && X < dest.getWidth() && Y < dest.getHeight())
        dest.at((int)X, (int)Y) = src.at(s, t);
    }
}

// Draws into a with the vector paths and into b with the plain loops, which are the reference.
template <class F> void BothWays(TestBitmap& a, TestBitmap& b, F draw) {
  draw(a);
  LICE_fastpaths_enabled = false;
  draw(b);
  LICE_fastpaths_enabled = true;
}
} // namespace

TEST(Blit, ClipsOnEverySideLikeTheReference) {
  std::mt19937 rng(5);
  for (int iter = 0; iter < 3000; iter++) {
    const bool fs = iter & 1, fd = iter & 2;
    TestBitmap src(1 + rng() % 9, 1 + rng() % 9, fs), a(1 + rng() % 9, 1 + rng() % 9, fd);
    src.Randomize(rng());
    a.Randomize(rng());
    TestBitmap b = a;
    auto coord = [&] { return (int)(rng() % 25) - 12; };
    RECT r = {coord(), coord(), coord(), coord()};
    const int dstx = coord(), dsty = coord();
    const bool whole = iter % 7 == 0;
    if (whole) r = {0, 0, src.getWidth(), src.getHeight()};
    LICE_Blit(&a, &src, dstx, dsty, whole ? nullptr : &r, 1.0f, 0);
    ReferenceBlit(b, src, dstx, dsty, r);
    ASSERT_EQ(a.raw(), b.raw()) << "iteration " << iter;
  }
}

TEST(Blit, ExtremeCoordinatesAreClipped) {
  // Every one of these lands wholly outside; two guard columns follow each row.
  TestBitmap src(4, 4), dest(4, 4, false, 6, 0x5A5A5A5A);
  src.Randomize(3, 0xFF000000);
  const int far[] = {INT_MIN, INT_MIN + 1, -100000, 100000, INT_MAX - 1, INT_MAX};
  for (int x : far)
    for (int y : far) {
      LICE_Blit(&dest, &src, x, y, nullptr, 1.0f, 0);
      LICE_Blit(&dest, &src, 0, 0, x, y, INT_MAX, INT_MAX, 0.7f, 0);
      LICE_Blit(&dest, &src, x, 0, x == INT_MIN ? 0 : -x, y, 3, 3, 1.0f, LICE_BLIT_USE_ALPHA);
    }
  for (LICE_pixel p : dest.raw()) ASSERT_EQ(p, 0x5A5A5A5Au);
  // A source rectangle from far left: the source starts at column 0 for destination column
  // -1, so source columns 1-3 land in 0-2; the guards stay.
  LICE_Blit(&dest, &src, -100000, 1, -99999, 0, 100003, 2, 1.0f, 0);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 6; x++) {
      const bool in = x < 3 && y >= 1 && y < 3;
      ASSERT_EQ(dest.mem(x, y), in ? src.at(x + 1, y - 1) : 0x5A5A5A5Au) << x << "," << y;
    }
}

TEST(Blit, ModesAndWeights) {
  TestBitmap src(1, 1), dest(1, 1);
  struct Case {
    LICE_pixel s, d;
    float alpha;
    int mode;
    LICE_pixel expect;
  } cases[] = {
      {0x10203040, 0xFFFFFFFF, 1.0f, 0, 0x10203040},       // alpha bytes copied as they are
      {0xFF000000, 0x00FFFFFF, 0.999f, 0, 0xFF000000},     // copy operator at weight 255
      {0xFFFFFFFF, 0xFF000000, 0.5f, 0, 0xFE7F7F7F},       // whole-word average
      {0xAABBCCDD, 0x11223344, 1.0f, 0xF3, 0x112233AA},    // source alpha into dest blue
      {0xAABBCCDD, 0x11223344, 1.0f, 0xF6, 0x1122BB44},    // source red into dest green
      {0x00FFFFFF, 0x11223344, 1.0f, 0x10000, 0x11223344}, // transparent source
      {0x80FF0000, 0x00000000, 1.0f, 0x10000, 0x80810000},
      {0x12345678, 0x11111111, 0.0f, 1, 0x11111111},
      {0x01010101, 0x02020202, 1.0f, 1, 0x03030303},
      {0x01010101, 0x02020202, 1.0f, 0x40, 0x02020202}, // unknown operator
  };
  for (const Case& c : cases) {
    src.at(0, 0) = c.s;
    dest.at(0, 0) = c.d;
    LICE_Blit(&dest, &src, 0, 0, nullptr, c.alpha, c.mode);
    EXPECT_EQ(dest.at(0, 0), c.expect) << std::hex << c.s << " mode " << c.mode;
  }
}

TEST(Fill, ClipsOnEverySide) {
  std::mt19937 rng(3);
  for (int iter = 0; iter < 2000; iter++) {
    TestBitmap a(1 + rng() % 8, 1 + rng() % 8, iter & 1);
    const int x = (int)(rng() % 20) - 10, y = (int)(rng() % 20) - 10;
    const int w = (int)(rng() % 20) - 4, h = (int)(rng() % 20) - 4;
    LICE_FillRect(&a, x, y, w, h, 0xFFFFFFFF, 1.0f, 0);
    LICE_ClearRect(&a, x, y, w, h, 0, 0x01000000);
    for (int py = 0; py < a.getHeight(); py++)
      for (int px = 0; px < a.getWidth(); px++) {
        const bool in = px >= x && px < x + w && py >= y && py < y + h;
        ASSERT_EQ(a.at(px, py), in ? 0x01000000u : 0u) << iter << " at " << px << "," << py;
      }
  }
}

TEST(Fill, WeightsAndModes) {
  TestBitmap bm(1, 1);
  // The fill passes its weight as the source alpha; a single pixel takes the colour's.
  struct Case {
    LICE_pixel d, color;
    float alpha;
    int mode;
    LICE_pixel fill, put;
  } cases[] = {
      {0xFF000000, 0xFFFFFFFF, 0.5f, 0, 0xFE7F7F7F, 0xFE7F7F7F},
      {0x00000000, 0x00FFFFFF, 0.3f, 0, 0x174C4C4C, 0x004C4C4C}, // alpha toward 76
      {0x00000000, 0xFFFFFFFF, 0.25f, 0, 0x3F3F3F3F, 0x3F3F3F3F},
      {0xFFFFFFFF, 0x00000000, 0.75f, 0, 0x3F3F3F3F, 0x3F3F3F3F},
      {0x12345678, 0x00FFFFFF, 1.0f, LICE_BLIT_USE_ALPHA, 0x12345678, 0x00FFFFFF},
      {0x00000000, 0x80FFFFFF, 1.0f, LICE_BLIT_USE_ALPHA, 0x407F7F7F, 0x80FFFFFF},
      {0x12345678, 0xFFFFFFFF, 1.0f, 6, 0x12345678, 0x12345678},
      {0x10101010, 0x10101010, 1.0f, 1, 0xFF202020, 0x20202020},
  };
  for (const Case& c : cases) {
    bm.at(0, 0) = c.d;
    LICE_FillRect(&bm, 0, 0, 1, 1, c.color, c.alpha, c.mode);
    EXPECT_EQ(bm.at(0, 0), c.fill) << std::hex << c.color << " at " << c.alpha;
    bm.at(0, 0) = c.d;
    LICE_PutPixel(&bm, 0, 0, c.color, c.alpha, c.mode);
    EXPECT_EQ(bm.at(0, 0), c.put) << std::hex << c.color << " at " << c.alpha;
  }
}

TEST(PixelAccess, HonoursBoundsAndFlippedRows) {
  TestBitmap bm(3, 2, true);
  bm.raw() = {1, 2, 3, 4, 5, 6}; // memory row 0 is the bottom row
  EXPECT_EQ(LICE_GetPixel(&bm, 2, 1), 3u);
  EXPECT_EQ(LICE_GetPixel(&bm, 3, 0) | LICE_GetPixel(&bm, 0, 2) | LICE_GetPixel(nullptr, 0, 0), 0u);
  LICE_PutPixel(&bm, 0, 0, 9, 1.0f, 0);
  LICE_PutPixel(&bm, -1, 0, 9, 1.0f, 0);
  std::vector<LICE_pixel> order; // memory order
  LICE_ProcessRect(
      &bm, 0, 0, 3, 2, [](LICE_pixel* p, void* v) { ((std::vector<LICE_pixel>*)v)->push_back(*p); },
      &order);
  EXPECT_EQ(order, (std::vector<LICE_pixel>{1, 2, 3, 9, 5, 6}));
}

TEST(RectOps, ClearMaskMultiplyAdd) {
  TestBitmap bm(2, 2);
  bm.raw() = {0xFF102030, 0x80FFFFFF, 0x00102030, 0x12345678};
  LICE_SetAlphaFromColorMask(&bm, 0x102030);
  EXPECT_EQ(bm.raw(), (std::vector<LICE_pixel>{0x00102030, 0xFFFFFFFF, 0x00102030, 0xFF345678}));
  bm.raw() = {0x10203040, 0xFF808080, 0, 0};
  LICE_MultiplyAddRect(&bm, 0, 0, 2, 1, 1, 1, 1, 1, 0, 0, 0, 1.0f);
  EXPECT_EQ(bm.raw(), (std::vector<LICE_pixel>{0x11203040, 0xFF808080, 0, 0})); // clamped
  LICE_MultiplyAddRect(&bm, 0, 0, 1, 1, 2, 0.5f, 0, 1, 0, 0, 0.25f, 0);
  EXPECT_EQ(bm.at(0, 0), 0x11401800u);
}

TEST(Blit, VectorPathsMatchThePlainLoops) {
  TestBitmap a(256, 256), b(256, 256), src(256, 256);
  auto reset = [&] {
    for (int y = 0; y < 256; y++)
      for (int x = 0; x < 256; x++) a.at(x, y) = b.at(x, y) = LICE_RGBA(y, x, 255 - y, x + y);
  };
  for (int y = 0; y < 256; y++)
    for (int x = 0; x < 256; x++) src.at(x, y) = LICE_RGBA(x, 255 - x, x * 7, y);
  reset();
  BothWays(a, b, [&](TestBitmap& t) { LICE_Blit(&t, &src, 0, 0, nullptr, 1.0f, 0x10000); });
  ASSERT_EQ(a.raw(), b.raw()) << "source-alpha blit";
  // The copy fill at every weight below full; in row c green c meets every green.
  for (int ia = 1; ia < 256; ia++) {
    reset();
    BothWays(a, b, [&](TestBitmap& t) {
      for (int c = 0; c < 256; c++)
        LICE_FillRect(&t, 0, c, 256, 1, LICE_RGBA(255 - c, c, c ^ 0x55, 0), ia / 256.0f, 0);
    });
    ASSERT_EQ(a.raw(), b.raw()) << "copy fill at weight " << ia;
  }
  // Random rows with many opaque and clear source pixels, as images have, overlapping blits
  // and partial fills.
  std::mt19937 rng(11);
  for (int iter = 0; iter < 200; iter++) {
    const int w = 1 + rng() % 40, h = 1 + rng() % 5;
    TestBitmap src(w, h), a(w, h, iter & 1);
    src.Randomize(rng());
    a.Randomize(rng());
    for (auto& p : src.raw())
      if (rng() % 3 == 0) p = (rng() & 1) ? (p | 0xFF000000) : (p & 0xFFFFFF);
    TestBitmap b = a;
    const float alpha = (float)(1 + rng() % 255) / 256.0f;
    const LICE_pixel color = (LICE_pixel)rng();
    BothWays(a, b, [&](TestBitmap& t) {
      LICE_Blit(&t, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA);
      LICE_Blit(&t, &t, 1, 0, nullptr, 1.0f, LICE_BLIT_USE_ALPHA); // overlapping, in order
      LICE_FillRect(&t, 1, 0, w, h, color, alpha, 0);
      LICE_FillRect(&t, 0, 1, w - 2, h, color, 1.0f, 0);
    });
    ASSERT_EQ(a.raw(), b.raw()) << "iteration " << iter;
  }
}
