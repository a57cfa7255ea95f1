#include "WDL/lice/lice.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>

namespace {
using Pixels = std::set<std::pair<int, int>>;

Pixels Draw(int x1, int y1, int x2, int y2) {
  TestBitmap bm(16, 16);
  LICE_Line(&bm, x1, y1, x2, y2, 0xFFFFFFFF, 1.0f, 0, false);
  return bm.Drawn();
}
} // namespace

TEST(Line, EndsAreInclusiveAndOrderDoesNotMatter) {
  EXPECT_EQ(Draw(1, 1, 4, 4), (Pixels{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
  EXPECT_EQ(Draw(4, 3, 4, 1), (Pixels{{4, 1}, {4, 2}, {4, 3}}));
  EXPECT_EQ(Draw(-10, 5, 20, 5).size(), 16u);
  // One pixel per major position (points, rows and columns included), ends included, the
  // same whichever end comes first.
  std::mt19937 rng(7);
  for (int i = 0; i < 500; i++) {
    int c[4];
    for (int& v : c) v = rng() % 16;
    const Pixels p = Draw(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(p, Draw(c[2], c[3], c[0], c[1]));
    ASSERT_EQ((int)p.size(), std::max(std::abs(c[2] - c[0]), std::abs(c[3] - c[1])) + 1);
    ASSERT_EQ(p.count({c[0], c[1]}), 1u);
    ASSERT_EQ(p.count({c[2], c[3]}), 1u);
  }
}

TEST(Line, MinorStepAtExactlyHalfAPixel) {
  // derr is 32768: the minor coordinate moves at the first step, from both ends.
  EXPECT_EQ(Draw(0, 0, 4, 2), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}}));
  EXPECT_EQ(Draw(4, 2, 0, 0), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 2}}));
  EXPECT_EQ(Draw(0, 0, 2, 4), (Pixels{{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}}));
  EXPECT_EQ(Draw(0, 2, 4, 0), (Pixels{{0, 2}, {1, 1}, {2, 1}, {3, 1}, {4, 0}}));
}

TEST(Line, StoresTheWholeWordAndHonoursFlippedRows) {
  TestBitmap bm(8, 4, true);
  LICE_Line(&bm, 0, 0, 7, 0, 0x12345678, 1.0f, 0, false);
  LICE_Line(&bm, 0, 1, 2, 3, 0x9ABCDEF0, 1.0f, 0, false);
  EXPECT_EQ(bm.mem(5, 3), 0x12345678u); // row 0 is the last in memory
  EXPECT_EQ(bm.at(1, 2), 0x9ABCDEF0u);
  EXPECT_EQ(bm.at(2, 3), 0x9ABCDEF0u);
  EXPECT_EQ(bm.at(1, 1), 0u);
}

TEST(Line, AntiAliasedWeights) {
  // A diagonal: 3/4 of the colour on the line, 1/4 beside it.
  TestBitmap d(5, 5);
  LICE_Line(&d, 0, 0, 3, 3, 0xFFFFFFFF, 1.0f, 0, true);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(d.at(i, i), 0xBEBEBEBEu);
    EXPECT_EQ(d.at(i + 1, i), i < 3 ? 0x3F3F3F3Fu : 0u);
  }
  // Each pair of pixels carries the full weight.
  TestBitmap bm(20, 10);
  LICE_Line(&bm, 1, 2, 18, 7, 0xFF, 1.0f, LICE_BLIT_MODE_ADD, true);
  EXPECT_EQ(LICE_GETB(bm.at(1, 2)), 255u);
  EXPECT_EQ(LICE_GETB(bm.at(18, 7)), 255u);
  for (int x = 2; x < 18; x++) {
    int sum = 0;
    for (int y = 0; y < 10; y++) sum += LICE_GETB(bm.at(x, y));
    EXPECT_GE(sum, 253) << x; // less the truncation of two products
    EXPECT_LE(sum, 255) << x;
  }
}

TEST(Line, ClipsAtTheEdgesAndDrawsNothingForUnknownOperators) {
  // Crossing the bottom edge: cut at the last row, x from the crossing of row H.
  TestBitmap bm(16, 8);
  LICE_Line(&bm, 0, 0, 8, 16, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_TRUE(bm.at(4, 7));
  EXPECT_EQ(bm.Count(), 8);
  for (int op : {6, 0x40, 0xF0, 0xFF}) {
    TestBitmap none(8, 8);
    LICE_Line(&none, 0, 0, 7, 3, 0xFFFFFFFF, 1.0f, op, false);
    LICE_Line(&none, 0, 0, 7, 7, 0xFFFFFFFF, 0.3f, op, true);
    LICE_Line(&none, 0, 2, 7, 2, 0xFFFFFFFF, 0.3f, op, false);
    EXPECT_EQ(none.Count(), 0) << op;
  }
  int x1 = -5, y1 = 5, x2 = 30, y2 = 5;
  EXPECT_TRUE(LICE_ClipLine(&x1, &y1, &x2, &y2, 10, 0, 20, 10));
  EXPECT_EQ(x1, 10);
  EXPECT_EQ(x2, 19);
}

TEST(Line, FarOutEndPointsStayInsideTheBitmap) {
  // Two guard columns past the width must stay untouched; rows past the end are caught by
  // the address sanitizer.
  TestBitmap bm(13, 9, false, 15);
  for (int y = 0; y < 9; y++) bm.mem(13, y) = bm.mem(14, y) = 0xDEADBEEF;
  std::mt19937 rng(99);
  const int extremes[] = {INT_MIN, INT_MIN + 1, -1000000000, -1, 0, 12, 13, 1000000000, INT_MAX};
  for (int i = 0; i < 20000; i++) {
    int c[4];
    for (int& v : c) v = (i & 1) ? extremes[rng() % 9] : (int)(rng() % 60) - 25;
    const int mode = rng() % 6;
    const float alpha = (rng() & 1) ? 1.0f : 0.6f;
    LICE_Line(&bm, c[0], c[1], c[2], c[3], 0xFFFFFFFF, alpha, mode, rng() & 1);
    LICE_BorderedRect(&bm, c[0], c[1], c[2], c[3], 0xFF, 0xFF00, alpha, mode);
    if (LICE_ClipLine(&c[0], &c[1], &c[2], &c[3], INT_MIN, -5, INT_MAX, 40)) {
      ASSERT_TRUE(c[1] >= -5 && c[1] < 40) << c[1];
      ASSERT_TRUE(c[3] >= -5 && c[3] < 40) << c[3];
    }
  }
  for (int y = 0; y < 9; y++)
    for (int x : {13, 14}) ASSERT_EQ(bm.mem(x, y), 0xDEADBEEFu) << x << "," << y;
}

TEST(Rect, OutlineAndBorderedFill) {
  // The outline covers w + 1 by h + 1; in add mode the corners get the colour twice.
  TestBitmap add(6, 6);
  LICE_DrawRect(&add, 0, 0, 3, 2, 1, 1.0f, LICE_BLIT_MODE_ADD);
  const char* want[] = {"2112", "1001", "2112", "0000"};
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++)
      EXPECT_EQ(add.at(x, y), (LICE_pixel)(want[y][x] - '0')) << x << "," << y;
  TestBitmap b(6, 6);
  LICE_BorderedRect(&b, 1, 1, 3, 3, 0xFF00FF00, 0xFFFF0000, 1.0f, 0);
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 6; x++) {
      const bool in = x >= 1 && x <= 4 && y >= 1 && y <= 4, edge = x % 3 == 1 || y % 3 == 1;
      EXPECT_EQ(b.at(x, y), !in ? 0u : edge ? 0xFFFF0000u : 0xFF00FF00u) << x << "," << y;
    }
}
