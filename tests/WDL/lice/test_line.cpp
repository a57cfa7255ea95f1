#include "WDL/lice/lice.h"
#include "lice_test_bitmaps.h"

#include <climits>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {
using Pixels = std::set<std::pair<int, int>>;

Pixels Lit(TestBitmap& bm) {
  Pixels s;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
      if (bm.at(x, y)) s.insert({x, y});
  return s;
}

Pixels Draw(int x1, int y1, int x2, int y2, bool aa = false, int w = 16, int h = 16) {
  TestBitmap bm(w, h);
  LICE_Line(&bm, x1, y1, x2, y2, 0xFFFFFFFF, 1.0f, 0, aa);
  return Lit(bm);
}
} // namespace

TEST(Line, EndsAreInclusiveAndOrderDoesNotMatter) {
  EXPECT_EQ(Draw(3, 3, 3, 3), (Pixels{{3, 3}}));
  EXPECT_EQ(Draw(2, 5, 6, 5), (Pixels{{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}}));
  EXPECT_EQ(Draw(6, 5, 2, 5), Draw(2, 5, 6, 5));
  EXPECT_EQ(Draw(4, 1, 4, 3), (Pixels{{4, 1}, {4, 2}, {4, 3}}));
  EXPECT_EQ(Draw(4, 3, 4, 1), Draw(4, 1, 4, 3));
  EXPECT_EQ(Draw(1, 1, 4, 4), (Pixels{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
  EXPECT_EQ(Draw(-10, 5, 20, 5).size(), 16u);
  // General lines: one pixel per major position, the same whichever end comes first.
  std::mt19937 rng(7);
  for (int i = 0; i < 500; i++) {
    int c[4];
    for (int& v : c) v = rng() % 16;
    if (c[0] == c[2] || c[1] == c[3]) continue;
    const Pixels p = Draw(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(p, Draw(c[2], c[3], c[0], c[1]));
    ASSERT_EQ((int)p.size(), std::max(std::abs(c[2] - c[0]), std::abs(c[3] - c[1])) + 1);
    ASSERT_TRUE(p.count({c[0], c[1]}) && p.count({c[2], c[3]}));
  }
}

TEST(Line, StoresTheWholeWordAndHonoursFlippedRows) {
  TestBitmap bm(8, 4, true);
  LICE_Line(&bm, 0, 0, 7, 0, 0x12345678, 1.0f, 0, false);
  LICE_Line(&bm, 0, 1, 2, 3, 0x9ABCDEF0, 1.0f, 0, false);
  EXPECT_EQ(bm.raw()[3 * 8 + 5], 0x12345678u); // row 0 is the last in memory
  EXPECT_EQ(bm.at(1, 2), 0x9ABCDEF0u);
  EXPECT_EQ(bm.at(2, 3), 0x9ABCDEF0u);
  EXPECT_EQ(bm.at(1, 1), 0u);
}

TEST(Line, DiagonalAntiAliasing) {
  TestBitmap bm(5, 5);
  LICE_Line(&bm, 0, 0, 3, 3, 0xFFFFFFFF, 1.0f, 0, true);
  const LICE_pixel line = 0xBEBEBEBE, side = 0x3F3F3F3F; // 3/4 and 1/4 of the colour
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(bm.at(i, i), line);
    EXPECT_EQ(bm.at(i + 1, i), side);
    EXPECT_EQ(bm.at(i, i + 1), side);
  }
  EXPECT_EQ(bm.at(3, 3), line);
  EXPECT_EQ(bm.at(4, 3), 0u);
  EXPECT_EQ(bm.at(3, 4), 0u);
}

TEST(Line, AntiAliasedPairsCarryTheFullWeight) {
  TestBitmap bm(20, 10);
  LICE_Line(&bm, 1, 2, 18, 7, 0xFF, 1.0f, LICE_BLIT_MODE_ADD, true);
  EXPECT_EQ(LICE_GETB(bm.at(1, 2)), 255u);
  EXPECT_EQ(LICE_GETB(bm.at(18, 7)), 255u);
  for (int x = 2; x < 18; x++) {
    int sum = 0;
    for (int y = 0; y < 10; y++) sum += LICE_GETB(bm.at(x, y));
    EXPECT_GE(sum, 253) << x; // weights sum to 255, less the truncation of two products
    EXPECT_LE(sum, 255) << x;
  }
}

TEST(Line, ClipsAtTheEdgesAndDrawsNothingForUnknownOperators) {
  // Crossing the bottom edge: cut at the last row, x from the crossing of row H.
  TestBitmap bm(16, 8);
  LICE_Line(&bm, 0, 0, 8, 16, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_TRUE(bm.at(4, 7));
  EXPECT_EQ(Lit(bm).size(), 8u);
  for (int op : {6, 0x40, 0xF0, 0xFF}) {
    TestBitmap none(8, 8);
    LICE_Line(&none, 0, 0, 7, 3, 0xFFFFFFFF, 1.0f, op, false);
    LICE_Line(&none, 0, 0, 7, 7, 0xFFFFFFFF, 0.3f, op, true);
    LICE_Line(&none, 0, 2, 7, 2, 0xFFFFFFFF, 0.3f, op, false);
    EXPECT_TRUE(Lit(none).empty()) << op;
  }
  int x1 = -5, y1 = 5, x2 = 30, y2 = 5;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 0, 20, 10));
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(x2, 19);
  x1 = 0, y1 = 0, x2 = 5, y2 = 0;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 1, 10, 10));
}

TEST(Line, FarOutEndPointsStayInsideTheBitmap) {
  // Two guard columns past the width must stay untouched; rows past the end are caught by
  // the address sanitizer.
  const LICE_pixel guard = 0xDEADBEEF;
  TestBitmap bm(13, 9, false, 15, 0);
  for (int y = 0; y < 9; y++) bm.raw()[y * 15 + 13] = bm.raw()[y * 15 + 14] = guard;
  std::mt19937 rng(99);
  const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -1, 0, 12, 13, 1000000000, INT_MAX};
  for (int i = 0; i < 20000; i++) {
    int c[4];
    for (int& v : c) v = (i & 1) ? extremes[rng() % 9] : (int)(rng() % 60) - 25;
    const int mode = rng() % 6;
    const float alpha = (rng() & 1) ? 1.0f : 0.6f;
    LICE_Line(&bm, c[0], c[1], c[2], c[3], 0xFFFFFFFF, alpha, mode, rng() & 1);
    LICE_BorderedRect(&bm, c[0], c[1], c[2], c[3], 0xFF, 0xFF00, alpha, mode);
    int x1 = c[0], y1 = c[1], x2 = c[2], y2 = c[3];
    if (LICE_ClipLine(&x1, &y1, &x2, &y2, INT_MIN, -5, INT_MAX, 40)) {
      ASSERT_TRUE(y1 >= -5 && y1 < 40 && y2 >= -5 && y2 < 40);
    }
  }
  for (int y = 0; y < 9; y++) {
    ASSERT_EQ(bm.raw()[y * 15 + 13], guard);
    ASSERT_EQ(bm.raw()[y * 15 + 14], guard);
  }
}

TEST(Rect, OutlineAndBorderedFill) {
  TestBitmap bm(6, 6);
  LICE_DrawRect(&bm, 0, 0, 3, 2, 1, 1.0f, 0);
  EXPECT_EQ(
      Lit(bm),
      (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}}));
  TestBitmap add(4, 4);
  LICE_DrawRect(&add, 0, 0, 3, 3, 1, 1.0f, LICE_BLIT_MODE_ADD);
  EXPECT_EQ(LICE_GETB(add.at(0, 0)), 2u); // corners get the colour twice
  EXPECT_EQ(LICE_GETB(add.at(1, 0)), 1u);
  TestBitmap b(6, 6);
  LICE_BorderedRect(&b, 1, 1, 3, 3, 0xFF00FF00, 0xFFFF0000, 1.0f, 0);
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 6; x++) {
      const bool edge =
          (x == 1 || x == 4 || y == 1 || y == 4) && x >= 1 && x <= 4 && y >= 1 && y <= 4;
      const bool inside = x >= 2 && x <= 3 && y >= 2 && y <= 3;
      EXPECT_EQ(b.at(x, y), edge ? 0xFFFF0000u : inside ? 0xFF00FF00u : 0u) << x << "," << y;
    }
}
