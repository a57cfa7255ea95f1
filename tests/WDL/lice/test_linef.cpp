#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const LICE_pixel kWhite = 0xFFFFFFFF;

TEST(FLine, FollowsTheIntegerLine) {
  TestRng rng(1);
  for (int i = 0; i < 500; i++) {
    // Without anti-aliasing: the integer line of the truncated ends.
    TestBitmap a(30, 20), b(30, 20);
    const float x1 = rng.Float(-20, 50), y1 = rng.Float(-20, 40), x2 = rng.Float(-20, 50),
                y2 = rng.Float(-20, 40);
    LICE_FLine(&a, x1, y1, x2, y2, kWhite, 0.6f, 1, false);
    LICE_Line(&b, (int)x1, (int)y1, (int)x2, (int)y2, kWhite, 0.6f, 1, false);
    ASSERT_EQ(a.raw(), b.raw()) << i;
    // With it, at whole coordinates: the heavier pixel of each pair is next to the integer
    // line's pixel (the rounding at exact halves may pick either).
    const int ix1 = rng.Int(0, 28), iy1 = rng.Int(0, 18), ix2 = rng.Int(0, 28),
              iy2 = rng.Int(0, 18);
    TestBitmap f(30, 20), l(30, 20);
    LICE_FLine(&f, (float)ix1, (float)iy1, (float)ix2, (float)iy2, kWhite, 1.0f, 0, true);
    LICE_Line(&l, ix1, iy1, ix2, iy2, kWhite, 1.0f, 0, false);
    const auto line = l.Drawn();
    for (auto& p : f.Drawn()) {
      if ((f.at(p.first, p.second) & 0xFF) < 0x90) continue;
      bool near = false;
      for (int d = 0; d < 9; d++) near |= line.count({p.first + d % 3 - 1, p.second + d / 3 - 1});
      ASSERT_TRUE(near) << ix1 << "," << iy1 << " " << ix2 << "," << iy2 << " at " << p.first;
    }
  }
}

TEST(FLine, AntiAliasedPlacement) {
  // Whole columns 3..6 from x = 2.5 to 6.5 on row 1: full weight on row 1, none below.
  TestBitmap bm(8, 3);
  LICE_FLine(&bm, 2.5f, 1.0f, 6.5f, 1.0f, kWhite, 1.0f, 0, true);
  for (int x = 3; x <= 6; x++) EXPECT_EQ(bm.at(x, 1), kWhite) << x; // 255 rounds to white
  EXPECT_EQ(bm.Count(), 4);
  // Half a pixel down the weight splits between two rows.
  TestBitmap half(8, 4);
  LICE_FLine(&half, 1.0f, 1.5f, 6.0f, 1.5f, 0xFF000000, 1.0f, 1, true);
  EXPECT_EQ(half.at(3, 1), 0x7E000000u); // weights 127 and 128 added
  EXPECT_EQ(half.at(3, 2), 0x7F000000u);
  // At exactly 45 degrees rows are the major axis: the pairs share a row.
  TestBitmap diag(8, 6);
  LICE_FLine(&diag, 0.5f, 0.0f, 4.5f, 4.0f, 0xFF000000, 1.0f, 1, true);
  EXPECT_EQ(diag.at(0, 0), 0x7E000000u);
  EXPECT_EQ(diag.at(1, 0), 0x7F000000u);
  EXPECT_EQ(diag.at(1, 1), 0x7E000000u);
  // Shorter than a pixel between whole positions, or ends that meet: nothing.
  TestBitmap none(8, 8);
  LICE_FLine(&none, 2.3f, 3.0f, 2.8f, 3.2f, kWhite, 1.0f, 0, true);
  LICE_FLine(&none, 4.0f, 4.0f, 4.0f, 4.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&none, NAN, 4.0f, 4.0f, 4.0f, kWhite, 1.0f, 0, true);
  LICE_FLine(&none, 1.0f, 1.0f, 5.0f, 5.0f, kWhite, 1.0f, 9, true);
  EXPECT_EQ(none.Count(), 0);
}

TEST(FLine, ClipsFarEndsInside) {
  // The float window stops a pixel short of the edges.
  float x1 = 1.0f, y1 = 2.0f, x2 = 9.5f, y2 = 2.0f;
  EXPECT_TRUE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 5));
  EXPECT_FLOAT_EQ(x2, 8.0f);
  x1 = -5, y1 = -5, x2 = -1, y2 = -1;
  EXPECT_FALSE(LICE_ClipFLine(&x1, &y1, &x2, &y2, 0, 0, 10, 5));
  // Random and far-out ends on exactly sized, flipped and plain bitmaps.
  TestRng rng(3);
  for (bool flip : {false, true}) {
    TestBitmap bm(17, 13, flip);
    for (int i = 0; i < 5000; i++) {
      auto v = [&](float lim) {
        return rng.Next() % 8 ? rng.Float(-lim, 2 * lim) : rng.Float(-1e20f, 1e20f);
      };
      LICE_FLine(&bm, v(17), v(13), v(17), v(13), rng.Next(), rng.Float(0, 1), rng.Int(0, 5), true);
    }
  }
}

// Memory rows drawn in column 1; the bitmap is flipped, which dashed lines ignore.
std::vector<int> DashRows(int y1, int y2, int on, int off, float alpha = 1.0f) {
  TestBitmap bm(3, 12, true);
  LICE_DashedLine(&bm, 1, y1, 1, y2, on, off, kWhite, alpha, 0);
  std::vector<int> rows;
  for (int y = 0; y < 12; y++)
    if (bm.mem(1, y)) rows.push_back(y);
  return rows;
}

TEST(DashedLine, Patterns) {
  struct Case {
    int y1, y2, on, off;
    std::vector<int> rows;
  };
  const Case cases[] = {
      {0, 10, 3, 2, {0, 1, 2, 5, 6, 7}},
      {0, 8, 3, 2, {0, 1, 2, 5, 6, 7}},
      {8, 0, 3, 2, {0, 1, 2, 5, 6, 7}}, // ends in either order
      {0, 5, 1, 1, {0, 2, 4}},          // the dotted whole-word path
      {-3, 5, 1, 1, {0, 2, 4}},         // clipped first, then dotted from row 0
      {2, 11, 4, 0, {2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {0, 11, 2, -5, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, // a negative gap is no gap
      {0, 11, 0, 0, {}},                                  // no "on" pixels: nothing, and it returns
      {0, 11, -2, 3, {}},
      {0, 11, 2000000000, 2000000000, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DashRows(c.y1, c.y2, c.on, c.off), c.rows) << c.y1 << " " << c.on << "/" << c.off;
  // The dotted path and the general one (alpha 0.999 takes the operator) agree.
  EXPECT_EQ(DashRows(1, 11, 1, 1), DashRows(1, 11, 1, 1, 0.999f));

  TestBitmap bm(12, 3);
  LICE_DashedLine(&bm, 0, 1, 11, 1, 2, 1, kWhite, 1.0f, 0);
  LICE_DashedLine(&bm, 0, 0, 5, 2, 2, 1, kWhite, 1.0f, 0); // neither horizontal nor vertical
  EXPECT_EQ(bm.Drawn(), (std::set<std::pair<int, int>>{
                            {0, 1}, {1, 1}, {3, 1}, {4, 1}, {6, 1}, {7, 1}, {9, 1}, {10, 1}}));
}

TEST(DottedVertLine, ClipsItsOwnCoordinates) {
  TestBitmap bm(4, 6);
  LICE_DottedVertLineFAST(&bm, 2, -3, 20, kWhite);
  EXPECT_EQ(bm.Drawn(), (std::set<std::pair<int, int>>{{2, 1}, {2, 3}, {2, 5}}));
  LICE_DottedVertLineFAST(&bm, 4, 0, 5, kWhite);
  LICE_DottedVertLineFAST(&bm, -1, 0, 5, kWhite);
  LICE_DottedVertLineFAST(&bm, 1, 7, 12, kWhite);
  LICE_DottedVertLineFAST(&bm, 1, -2000000000, 2000000000, 0xFF000001);
  EXPECT_EQ(bm.Count(), 6);
}

} // namespace
