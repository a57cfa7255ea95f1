#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const LICE_pixel kWhite = 0xFFFFFFFF;

TEST(CurveMath, QuadraticAndCubicY) {
  // Evenly spaced x controls: t follows x linearly; outside the curve, the end's y.
  double t = -1;
  EXPECT_DOUBLE_EQ(LICE_Bezier_GetY(0, 5, 10, 0, 10, 0, 5.0f, &t), 5.0);
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_DOUBLE_EQ(LICE_Bezier_GetY(0, 5, 10, 2, 10, 4, 11.0f, &t), 4.0);
  float x, y, nextx = -1, dydx = -1;
  LICE_Bezier(0, 2, 10, 0, 8, 0, 0.25, &x, &y); // a quadratic point at t and back
  EXPECT_NEAR(LICE_Bezier_GetY(0, 2, 10, 0, 8, 0, x, &t), y, 1e-4);
  EXPECT_NEAR(t, 0.25, 1e-6);
  EXPECT_DOUBLE_EQ(LICE_CBezier_GetY(0, 1, 2, 3, 5, 3, 3, 7, -1.0f, &nextx, &dydx), 5.0);
  EXPECT_EQ(nextx, 0.0f);
  EXPECT_EQ(dydx, 0.0f);
  // At the first x itself the search runs: a straight cubic's slope and next bracket end.
  LICE_CBezier_GetY(0, 1, 2, 3, 0, 2, 4, 6, 0.0f, &nextx, &dydx);
  EXPECT_EQ(nextx, 3.0f / 256);
  EXPECT_EQ(dydx, 2.0f);
  // Inside: the bracket's chord, close to the curve y(t) = 9t - 9t^2 at x = 3t.
  double tlo, thi;
  const double yy = LICE_CBezier_GetY(0, 1, 2, 3, 0, 3, 3, 0, 1.2f, &nextx, &dydx, &tlo, &thi);
  EXPECT_NEAR(yy, 9 * 0.4 - 9 * 0.16, 0.01);
  EXPECT_LE(tlo, 0.4);
  EXPECT_GE(thi, 0.4);
  EXPECT_LE(thi - tlo, 1.0 / 128);
}

TEST(QBezier, OutlineFollowsTheCurve) {
  TestBitmap fwd(40, 30), rev(40, 30);
  LICE_DrawQBezier(&fwd, 2, 25, 20, -10, 37, 25, kWhite, 1.0f, 0, false, 1.0f);
  LICE_DrawQBezier(&rev, 37, 25, 20, -10, 2, 25, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_EQ(fwd.raw(), rev.raw()); // end left of start draws the same
  EXPECT_GT(fwd.Count(), 40);
  // Every drawn pixel lies within 1.5 pixels of the curve.
  for (auto& p : fwd.Drawn()) {
    double best = 1e9;
    for (int k = 0; k <= 1000; k++) {
      float cx, cy;
      LICE_Bezier(2, 20, 37, 25, -10, 25, k / 1000.0, &cx, &cy);
      best = std::min(best, std::hypot((double)cx - p.first, (double)cy - p.second));
    }
    EXPECT_LE(best, 1.5) << p.first << "," << p.second;
  }
  // A curve starting left of the bitmap starts at x = 0 on the curve.
  TestBitmap cut(40, 30);
  LICE_DrawQBezier(&cut, -10, 5, 10, 5, 30, 5, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_NE(cut.at(0, 5), 0u);
  EXPECT_NE(cut.at(30, 5), 0u);
  EXPECT_EQ(cut.Count(), 31);
  // Past the right edge the curve ends at the last column's point of it.
  TestBitmap right(12, 5);
  LICE_DrawQBezier(&right, 2, 1, 8, 1, 20, 6, kWhite, 1.0f, 0, false, 1.0f);
  EXPECT_EQ(right.Run(2).first, 9);
  EXPECT_EQ(right.Run(2).last, 11);
  EXPECT_EQ(right.Run(3).first, -1);
}

TEST(CBezier, OutlineAndShortCurves) {
  // A straight cubic (controls on the chord) is a line; a curve shorter than the tolerance
  // is one float line from end to end.
  TestBitmap c(30, 10), l(30, 10);
  LICE_DrawCBezier(&c, 2, 4, 9, 4, 16, 4, 23, 4, kWhite, 1.0f, 0, true, 1.0f);
  LICE_FLine(&l, 2, 4, 23, 4, kWhite, 1.0f, 0, true);
  EXPECT_EQ(c.raw(), l.raw());
  TestBitmap s(30, 10), sl(30, 10);
  LICE_DrawCBezier(&s, 3.2f, 3.1f, 3.4f, 3.9f, 3.6f, 3.9f, 4.6f, 3.4f, kWhite, 1.0f, 0, true, 5.0f);
  LICE_FLine(&sl, 3.2f, 3.1f, 4.6f, 3.4f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(s.raw(), sl.raw());
}

TEST(CBezier, FillsToARowOrColumnExactlyOnce) {
  // An arch above row 20 (and the same arch on its side, left of column 20): each column
  // (row) from the curve to the fill line, added once. Slices of several pixels reach the
  // line + 1, one-pixel slices the line itself.
  for (bool byrow : {true, false}) {
    TestBitmap bm(byrow ? 40 : 30, byrow ? 30 : 40);
    if (byrow)
      LICE_FillCBezier(&bm, 2, 18, 10, 2, 30, 2, 38, 18, 20, 0x40404040, 1.0f, 1, 1.0f);
    else
      LICE_FillCBezierX(&bm, 18, 2, 2, 10, 2, 30, 18, 38, 20, 0x40404040, 1.0f, 1, 1.0f);
    for (LICE_pixel p : bm.raw()) ASSERT_TRUE(p == 0 || p == 0x40404040);
    for (int k = 4; k < 36; k++) {
      const Span r = bm.Run(k, byrow);
      EXPECT_TRUE(r.last == 20 || r.last == 21) << byrow << " " << k << ": " << r.last;
      EXPECT_TRUE(r.solid) << byrow << " " << k;
      EXPECT_LT(r.first, 18) << byrow << " " << k;
    }
  }
  // By rows, slices of several rows reach their far row + 1: the last row is filled too.
  TestBitmap rows(14, 14);
  LICE_FillCBezierX(&rows, 2, 1, 4, 5, 6, 9, 8, 13, 10, kWhite, 1.0f, 0, 8.0f);
  EXPECT_EQ(rows.Run(13).first, 8);
  EXPECT_EQ(rows.Run(13).last, 11);
  TestBitmap left(14, 14);
  LICE_FillCBezierX(&left, 8, 1, 8, 5, 3, 9, 3, 13, 1, kWhite, 1.0f, 0, 6.0f);
  EXPECT_EQ(left.Run(13).last, 4);
  // Below the row: from row yfill down to the chord.
  TestBitmap below(40, 30);
  LICE_FillCBezier(&below, 2, 22, 10, 28, 30, 28, 38, 22, 10, kWhite, 1.0f, 0, 1.0f);
  for (int x = 3; x < 37; x++) {
    const Span r = below.Run(x, true);
    EXPECT_EQ(r.first, 10) << x;
    EXPECT_GE(r.last, 21) << x;
  }
}

TEST(Curves, RefusedAndBounded) {
  TestBitmap bm(20, 20);
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
