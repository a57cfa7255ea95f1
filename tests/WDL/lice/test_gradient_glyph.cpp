// Gradients, 8-bit and 1-bit glyph masks, blur, halving, scan-line fill, bitmap comparison.
#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <random>

TEST(GradRect, StartColourRampsAndClipping) {
  TestBitmap bm(8, 4);
  LICE_GradRect(&bm, 0, 0, 8, 4, 1, 0.5f, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  for (LICE_pixel p : bm.raw()) ASSERT_EQ(p, 0xFFFF7F00u);

  // A horizontal red ramp: column x gets (int)(255 x x / 8) (16.16 truncation).
  for (bool flipped : {false, true}) {
    TestBitmap r(8, 2, flipped);
    LICE_GradRect(&r, 0, 0, 8, 2, 0, 0, 0, 1, 1.0f / 8, 0, 0, 0, 0, 0, 0, 0, 0);
    for (int x = 0; x < 8; x++) {
      int expect = (int)((double)(int)(255.0 / 8 * 65536) * x / 65536);
      EXPECT_NEAR((int)LICE_GETR(r.at(x, 1)), expect, 1) << x;
    }
  }
  // A negative start advances the ramp: column 0 shows what column 3 would have.
  TestBitmap a(8, 1), b(8, 1);
  LICE_GradRect(&a, 0, 0, 8, 1, 0, 0, 0, 1, 0.1f, 0, 0, 0, 0, 0, 0, 0, 0);
  LICE_GradRect(&b, -3, 0, 11, 1, 0, 0, 0, 1, 0.1f, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_NEAR((int)LICE_GETR(b.at(0, 0)), (int)LICE_GETR(a.at(3, 0)), 1);
  // Alpha ramps down the rows in add mode; unknown operators draw nothing.
  TestBitmap c(2, 3, false, 0, 0xFF101010);
  LICE_GradRect(&c, 0, 0, 2, 3, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 1);
  EXPECT_EQ(c.at(0, 0), 0xFF101010u);
  EXPECT_GT(LICE_GETR(c.at(0, 2)), LICE_GETR(c.at(0, 1)));
  TestBitmap d(2, 2);
  LICE_GradRect(&d, 0, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 7);
  EXPECT_EQ(d.at(1, 1), 0u);
  LICE_GradRect(nullptr, 0, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(Glyph, WeightsAndOffsets) {
  TestBitmap bm(4, 1, false, 0, 0xFF000000);
  const unsigned char mask[4] = {255, 128, 0, 1};
  LICE_DrawGlyph(&bm, 0, 0, 0xFFFFFFFF, mask, 4, 1, 1.0f, 1);
  // Weight v x 256 / 256 = v: a byte of 255 adds 255/256 of the colour.
  EXPECT_EQ(LICE_GETR(bm.at(0, 0)), 254u);
  EXPECT_EQ(LICE_GETR(bm.at(1, 0)), 127u);
  EXPECT_EQ(bm.at(2, 0), 0xFF000000u);
  EXPECT_EQ(LICE_GETR(bm.at(3, 0)), 0u);
  // At x = -3 the fourth column lands at 0; a bottom-up mask reads its last row first.
  TestBitmap c(2, 2);
  const unsigned char rows[4] = {10, 20, 200, 201};
  LICE_DrawGlyphEx(&c, -1, 0, 0xFFFFFFFF, rows, 2, -2, 2, 1.0f, 0);
  EXPECT_EQ(LICE_GETR(c.at(0, 0)), 201u);
  EXPECT_EQ(LICE_GETR(c.at(0, 1)), 20u);
  EXPECT_EQ(c.at(1, 0), 0u);
}

// The 1-bit mask must draw exactly what the 8-bit mask of its bits (0 or 255) draws, for
// every placement that cuts the mask at any bit offset on any side.
TEST(Glyph, MonoMatchesByteMaskAtEveryOffset) {
  std::mt19937 rng(7);
  const int mw = 19, mh = 5, span = 4;
  unsigned char bits[span * mh];
  unsigned char bytes[mw * mh];
  for (auto& b : bits) b = (unsigned char)rng();
  for (int y = 0; y < mh; y++)
    for (int x = 0; x < mw; x++)
      bytes[y * mw + x] = (bits[y * span + x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
  for (int x = -mw; x <= 12; x++)
    for (int y = -mh; y <= 8; y += 3)
      for (int mode : {0, 1}) {
        TestBitmap a(12, 8, y & 1, 13, 0xFF204060), b(12, 8, y & 1, 13, 0xFF204060);
        LICE_DrawMonoGlyph(&a, x, y, 0x80C0E0F0, bits, mw, span, mh, 0.75f, mode);
        LICE_DrawGlyph(&b, x, y, 0x80C0E0F0, bytes, mw, mh, 0.75f, mode);
        ASSERT_EQ(a.raw(), b.raw()) << "x " << x << " y " << y << " mode " << mode;
      }
}

TEST(Blur, SpreadsByShiftsAndLeavesThinRectangles) {
  TestBitmap bm(5, 5);
  bm.at(2, 2) = 0xFFFFFFFF;
  LICE_Blur(&bm, &bm, 0, 0, 0, 0, 5, 5);
  EXPECT_EQ(bm.at(2, 2), 0x7F7F7F7Fu);
  for (auto [x, y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}}) EXPECT_EQ(bm.at(x, y), 0x1F1F1F1Fu);
  EXPECT_EQ(bm.at(1, 1), 0u);

  // In place equals blurring into a separate bitmap, flipped or not, wide rows included.
  std::mt19937 rng(3);
  for (int w : {7, 1500}) {
    TestBitmap src(w, 6, true), copy(w, 6, true), out(w, 6, false);
    src.Randomize(rng());
    copy.raw() = src.raw();
    LICE_Blur(&out, &copy, 0, 0, 0, 0, w, 6);
    LICE_Blur(&src, &src, 0, 0, 0, 0, w, 6);
    for (int y = 0; y < 6; y++)
      for (int x = 0; x < w; x++) ASSERT_EQ(src.at(x, y), out.at(x, y)) << x << "," << y;
  }
  TestBitmap thin(4, 4);
  thin.Randomize(rng());
  std::vector<LICE_pixel> before = thin.raw();
  LICE_Blur(&thin, &thin, 0, 0, 0, 0, 1, 4);
  LICE_Blur(&thin, &thin, 0, 0, 0, 0, 4, 1);
  EXPECT_EQ(thin.raw(), before);
}

TEST(HalveBlitAA, QuarterSumsAndEmptyBitmaps) {
  TestBitmap src(5, 2), dest(4, 2, false, 0, 0x11111111);
  for (int x = 0; x < 5; x++) src.at(x, 0) = src.at(x, 1) = x < 2 ? 0xFFFFFFFF : 0x80808080;
  LICE_HalveBlitAA(&dest, &src);
  EXPECT_EQ(dest.at(0, 0), 0xFCFCFCFCu);
  EXPECT_EQ(dest.at(1, 0), 0x80808080u);
  EXPECT_EQ(dest.at(2, 0) & dest.at(0, 1), 0x11111111u); // 2 columns, 1 row written
  TestBitmap none(0, 0);                                 // no pixels: nothing happens
  LICE_HalveBlitAA(&none, &src);
  LICE_HalveBlitAA(&dest, &none);
}

TEST(SimpleFill, RunsThroughTheStartColumn) {
  // 0 = match, 1 = wall, 2 = filled: the fill follows column 2 and spreads along each row.
  const char* rows[] = {"00100", "00000", "11011", "00000"};
  const char* expect[] = {"00100", "22222", "11211", "22222"};
  const LICE_pixel colour[] = {0xFF000000, 0xFFFFFFFF, 0xFF000055};
  TestBitmap bm(5, 4);
  for (int i = 0; i < 20; i++) bm.at(i % 5, i / 5) = colour[rows[i / 5][i % 5] - '0'];
  LICE_SimpleFill(&bm, 2, 1, 0x00000055, 0xFFFFFFFF, 0xFF000000);
  LICE_SimpleFill(&bm, 9, 0, 1); // outside: nothing
  for (int i = 0; i < 20; i++)
    EXPECT_EQ(bm.at(i % 5, i / 5), colour[expect[i / 5][i % 5] - '0']) << i;
}

TEST(BitmapCmp, ResultsAndDifferenceRectangles) {
  TestBitmap a(10, 9), b(10, 9, true), wide(12, 9);
  int r[4] = {9, 9, 9, 9};
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, r), 0);
  EXPECT_EQ(r[0] + r[1] + r[2] + r[3], 0);
  EXPECT_EQ(LICE_BitmapCmp(&a, &wide), 2);
  EXPECT_EQ(LICE_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(LICE_BitmapCmp(&a, nullptr), 1);

  b.at(4, 7) = 1;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, r), 1);
  EXPECT_EQ(std::vector<int>(r, r + 4), (std::vector<int>{4, 7, 1, 1}));
  EXPECT_LT(LICE_BitmapCmp(&a, &b), 0); // first differing byte is larger in b
  b.at(8, 2) = 1;
  b.at(1, 5) = 1;
  EXPECT_EQ(LICE_BitmapCmp(&a, &b, r), 1);
  EXPECT_EQ(std::vector<int>(r, r + 4), (std::vector<int>{1, 2, 8, 6}));

  a.at(1, 1) = 0xFF000000; // the mask picks the channels compared
  EXPECT_EQ(LICE_BitmapCmpEx(&a, &wide, 0x00FFFFFF), 2);
  TestBitmap c(10, 9);
  EXPECT_EQ(LICE_BitmapCmpEx(&c, &a, 0x00FFFFFF), 0);
  EXPECT_EQ(LICE_BitmapCmpEx(&c, &a, 0xFF000000), 1);
}
