#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/shapes/shape_testutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const LICE_pixel kWhite = 0xFFFFFFFF;

TEST(CurveMath, QuadraticAndCubicY) {
  // Evenly spaced x controls: t follows x linearly.
  double t = -1;
  EXPECT_DOUBLE_EQ(LICE_Bezier_GetY(0, 5, 10, 0, 10, 0, 5.0f, &t), 5.0);
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_DOUBLE_EQ(LICE_Bezier_GetY(0, 5, 10, 2, 10, 4, -1.0f, &t), 2.0);
  EXPECT_EQ(t, 0.0);
  EXPECT_DOUBLE_EQ(LICE_Bezier_GetY(0, 5, 10, 2, 10, 4, 11.0f, &t), 4.0);
  EXPECT_EQ(t, 1.0);
  // A quadratic point at t and back.
  float x, y;
  LICE_Bezier(0, 2, 10, 0, 8, 0, 0.25, &x, &y);
  EXPECT_NEAR(LICE_Bezier_GetY(0, 2, 10, 0, 8, 0, x, &t), y, 1e-4);
  EXPECT_NEAR(t, 0.25, 1e-6);

  double ax, bx, cx, ay, by, cy;
  LICE_CBezier_GetCoeffs(0, 1, 2, 3, 0, 3, 3, 0, &ax, &bx, &cx, &ay, &by, &cy);
  EXPECT_DOUBLE_EQ(ax, 0); // evenly spaced: x(t) = 3t
  EXPECT_DOUBLE_EQ(bx, 0);
  EXPECT_DOUBLE_EQ(cx, 3);
  EXPECT_DOUBLE_EQ(cy, 9);
  EXPECT_DOUBLE_EQ(by, -9);
  EXPECT_DOUBLE_EQ(ay, 0);
  // Outside the curve: the end's y and slope 0.
  float nextx = -1, dydx = -1;
  EXPECT_DOUBLE_EQ(LICE_CBezier_GetY(0, 1, 2, 3, 5, 3, 3, 7, -1.0f, &nextx, &dydx), 5.0);
  EXPECT_EQ(nextx, 0.0f);
  EXPECT_EQ(dydx, 0.0f);
  EXPECT_DOUBLE_EQ(LICE_CBezier_GetY(0, 1, 2, 3, 5, 3, 3, 7, 3.0f, &nextx, &dydx), 7.0);
  EXPECT_EQ(nextx, 3.0f);
  // Inside: the bracket's chord, close to the curve y(t) = 9t - 9t^2 at x = 3t.
  double tlo, thi;
  const double yy = LICE_CBezier_GetY(0, 1, 2, 3, 0, 3, 3, 0, 1.2f, &nextx, &dydx, &tlo, &thi);
  EXPECT_NEAR(yy, 9 * 0.4 - 9 * 0.16, 0.01);
  EXPECT_LE(tlo, 0.4);
  EXPECT_GE(thi, 0.4);
  EXPECT_LE(thi - tlo, 1.0 / 128);
}

TEST(QBezier, OutlineFollowsTheCurve) {
  TightBitmap fwd(40, 30), rev(40, 30);
  LICE_DrawQBezier(&fwd, 2, 25, 20, -10, 37, 25, kWhite, 1.0f, 0, false, 1.0f);
  LICE_DrawQBezier(&rev, 37, 25, 20, -10, 2, 25, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_EQ(fwd.pixels(), rev.pixels()); // end left of start draws the same
  EXPECT_GT(fwd.Count(), 40);
  // Every drawn pixel lies within 1.5 pixels of the curve.
  for (int y = 0; y < 30; y++)
    for (int x = 0; x < 40; x++) {
      if (!fwd.at(x, y)) continue;
      double best = 1e9;
      for (int k = 0; k <= 1000; k++) {
        float cx, cy;
        LICE_Bezier(2, 20, 37, 25, -10, 25, k / 1000.0, &cx, &cy);
        best = std::min(best, std::hypot((double)cx - x, (double)cy - y));
      }
      EXPECT_LE(best, 1.5) << x << "," << y;
    }
  // Tolerance 0 or less means 1.
  TightBitmap zero(40, 30);
  LICE_DrawQBezier(&zero, 2, 25, 20, -10, 37, 25, kWhite, 1.0f, 0, false, -3.0f);
  EXPECT_EQ(zero.pixels(), fwd.pixels());
  // A curve starting left of the bitmap starts at x = 0 on the curve.
  TightBitmap cut(40, 30);
  LICE_DrawQBezier(&cut, -10, 5, 10, 5, 30, 5, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_EQ(cut.at(0, 5), kWhite);
  EXPECT_EQ(cut.at(30, 5), kWhite);
  EXPECT_EQ(cut.Count(), 31);
}

TEST(CBezier, OutlineAndShortCurves) {
  // A straight cubic (controls on the chord) is a line; a curve shorter than the tolerance
  // is one float line from end to end.
  TightBitmap c(30, 10), l(30, 10);
  LICE_DrawCBezier(&c, 2, 4, 9, 4, 16, 4, 23, 4, kWhite, 1.0f, 0, true, 1.0f);
  LICE_FLine(&l, 2, 4, 23, 4, kWhite, 1.0f, 0, true);
  EXPECT_EQ(c.pixels(), l.pixels());
  TightBitmap s(30, 10), sl(30, 10);
  LICE_DrawCBezier(&s, 3.2f, 3.1f, 3.4f, 3.9f, 3.6f, 3.9f, 4.6f, 3.4f, kWhite, 1.0f, 0, true, 5.0f);
  LICE_FLine(&sl, 3.2f, 3.1f, 4.6f, 3.4f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(s.pixels(), sl.pixels());
}

TEST(CBezier, FillsToARowExactlyOnce) {
  // Arch above row 20: each column from the curve down to the row, added once.
  TightBitmap bm(40, 30);
  LICE_FillCBezier(&bm, 2, 18, 10, 2, 30, 2, 38, 18, 20, 0x40404040, 1.0f, 1, 1.0f);
  for (LICE_pixel p : bm.pixels()) ASSERT_TRUE(p == 0 || p == 0x40404040);
  for (int x = 3; x < 37; x++) {
    int top = -1, bottom = -1;
    for (int y = 0; y < 30; y++)
      if (bm.at(x, y)) {
        if (top < 0) top = y;
        bottom = y;
      }
    // Slices of several columns fill to row yfill + 1, one-column slices to row yfill.
    EXPECT_TRUE(bottom == 20 || bottom == 21) << x;
    int run = 0;
    for (int y = top; y <= bottom; y++) run += bm.at(x, y) != 0;
    EXPECT_EQ(run, bottom - top + 1) << x;
    EXPECT_LT(top, 18) << x;
  }
  // Below the row: from row yfill down to the chord.
  TightBitmap below(40, 30);
  LICE_FillCBezier(&below, 2, 22, 10, 28, 30, 28, 38, 22, 10, kWhite, 1.0f, 0, 1.0f);
  for (int x = 3; x < 37; x++) {
    EXPECT_EQ(below.at(x, 9), 0u);
    EXPECT_EQ(below.at(x, 10), kWhite) << x;
    EXPECT_EQ(below.at(x, 21), kWhite) << x;
  }
}

TEST(CBezier, FillsToAColumn) {
  // The same arch turned on its side fills toward column 20.
  TightBitmap bm(30, 40);
  LICE_FillCBezierX(&bm, 18, 2, 2, 10, 2, 30, 18, 38, 20, 0x40404040, 1.0f, 1, 1.0f);
  for (LICE_pixel p : bm.pixels()) ASSERT_TRUE(p == 0 || p == 0x40404040);
  for (int y = 4; y < 36; y++) {
    int left = -1, right = -1;
    for (int x = 0; x < 30; x++)
      if (bm.at(x, y)) {
        if (left < 0) left = x;
        right = x;
      }
    EXPECT_TRUE(right == 20 || right == 21) << y;
    EXPECT_LT(left, 18) << y;
  }
}

TEST(Curves, RefusedAndBounded) {
  TightBitmap bm(20, 20);
  LICE_DrawQBezier(&bm, 0, 0, NAN, 5, 10, 10, kWhite, 1.0f, 0, true);
  LICE_DrawCBezier(&bm, 0, 0, 5, 5, 10, INFINITY, 15, 0, kWhite, 1.0f, 0, true);
  LICE_FillCBezier(&bm, 0, 0, 5, 5, 10, 5, 15, 0, 10, kWhite, NAN, 0);
  LICE_DrawCBezier(&bm, 0, 0, 5, 5, 10, 5, 15, 0, kWhite, 1.0f, 0, true, NAN);
  EXPECT_EQ(bm.Count(), 0);
  // Absurd lengths and tolerances end (the segment count is bounded by the bitmap), and
  // far-out points stay clean in the sanitizer build.
  TestRng rng(6);
  for (int i = 0; i < 300; i++) {
    auto v = [&] { return rng.Next() % 4 ? rng.Float(-30, 50) : rng.Float(-1e9f, 1e9f); };
    const float tol = (i % 3) ? 1e-30f : rng.Float(-1, 3);
    LICE_DrawQBezier(&bm, v(), v(), v(), v(), v(), v(), kWhite, 1.0f, 0, i & 1, tol);
    LICE_DrawCBezier(&bm, v(), v(), v(), v(), v(), v(), v(), v(), kWhite, 1.0f, 0, i & 1, tol);
    LICE_FillCBezier(&bm, v(), v(), v(), v(), v(), v(), v(), v(), (int)v(), kWhite, 0.5f, 1, tol);
    LICE_FillCBezierX(&bm, v(), v(), v(), v(), v(), v(), v(), v(), (int)v(), kWhite, 0.5f, 1, tol);
  }
}

} // namespace
