#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

const float kPi = 3.14159265358979323846f;
const LICE_pixel kWhite = 0xFFFFFFFF;

TEST(Circle, BuiltInMasksExactly) {
  struct Case {
    float r;
    int size;
    const char *aa, *plain; // top rows of the masks
  };
  const Case cases[] = {{1.5f, 4, "4fffff4f", "00ffff00"},
                        {2.0f, 5, "0fbfffbf0f", "0000ff0000"},
                        {2.5f, 6, "0fbfffffbf0f", "0000ffff0000"},
                        {3.0f, 7, "008fffffff8f00", "0000ffffff0000"},
                        {3.5f, 8, "004fdeffffde4f00", "0000ffffffff0000"},
                        {4.0f, 9, "001fb0ffffffb01f00", "0000ffffffffff0000"}};
  for (const Case& c : cases)
    for (bool aa : {false, true}) {
      TestBitmap bm(20, 20);
      LICE_Circle(&bm, 10.3f, 9.7f, c.r, kWhite, 1.0f, 0, aa);
      const int x0 = (int)(10.3f - c.r), y0 = (int)(9.7f - c.r);
      const int n = c.size;
      for (auto& p : bm.Drawn()) {
        ASSERT_TRUE(p.first >= x0 && p.first < x0 + n) << p.first << "," << p.second;
        ASSERT_TRUE(p.second >= y0 && p.second < y0 + n) << p.first << "," << p.second;
      }
      for (int i = 0; i < n; i++) {
        unsigned v = 0;
        sscanf((aa ? c.aa : c.plain) + 2 * i, "%2x", &v);
        // The copy operator of white over black at weight v.
        const LICE_pixel want = v ? 0x01010101u * (255 + (-255 * (256 - (int)v)) / 256) : 0;
        EXPECT_EQ(bm.at(x0 + i, y0), want) << c.r << " column " << i;
      }
      for (int i = 0; i < n * n; i++) { // the rest of the mask mirrors the top rows
        const int x = x0 + i % n, y = y0 + i / n;
        EXPECT_EQ(bm.at(x, y), bm.at(2 * x0 + n - 1 - x, y)) << c.r << " at " << x << "," << y;
        EXPECT_EQ(bm.at(x, y), bm.at(x, 2 * y0 + n - 1 - y)) << c.r << " at " << x << "," << y;
      }
    }
  // Off the mask radii alpha 0.5 averages with the background.
  TestBitmap half(40, 40, false, 0, 0x20406080);
  LICE_Circle(&half, 20, 20, 10, kWhite, 0.5f, 0, false);
  EXPECT_EQ(half.at(20, 10), 0x8F9FAFBFu);
  // Just off a mask radius the rasteriser draws instead.
  TestBitmap a(20, 20), b(20, 20);
  LICE_Circle(&a, 10, 10, 3.0f, kWhite, 1.0f, 0, true);
  LICE_Circle(&b, 10, 10, 3.01f, kWhite, 1.0f, 0, true);
  EXPECT_NE(a.raw(), b.raw());
}

TEST(Circle, OutlinesAndDiscsAreSymmetric) {
  for (float r : {0.0f, 1.0f, 5.0f, 7.4f, 12.6f, 20.0f})
    for (int k = 0; k < 4; k++) {
      const bool fill = k & 1, aa = k & 2;
      TestBitmap bm(61, 61);
      (fill ? LICE_FillCircle : LICE_Circle)(&bm, 30, 30, r, 0xFF00FF00, 1.0f, 0, aa);
      EXPECT_GT(bm.Count(), 0) << r;
      // Anti-aliased rim points may overlap near the diagonal, where the later weight wins:
      // there the pixel set is symmetric, not every weight.
      auto px = [&](int x, int y) { return aa ? bm.at(x, y) != 0 : bm.at(x, y); };
      for (int y = 0; y < 61; y++)
        for (int x = 0; x < 61; x++) {
          ASSERT_EQ(px(x, y), px(60 - x, y)) << r << " " << k;
          ASSERT_EQ(px(x, y), px(x, 60 - y)) << r << " " << k;
          if (!aa) {
            ASSERT_EQ(px(x, y), px(y, x)) << r << " " << k;
          }
        }
    }
}

TEST(Circle, MidpointStepsGiveExactPixels) {
  // Between them, radii 8 and 17 take both branches of the error term at every slip that
  // matters. An outline is its first octant mirrored eight ways; a disc row at distance d
  // from the centre spans the centre +- halfWidth[d].
  struct Case {
    float r;
    std::vector<std::pair<int, int>> octant; // (x, y) from the top point, x growing
    std::vector<int> halfWidth;
  };
  const Case cases[] = {
      {8, {{0, 8}, {1, 8}, {2, 8}, {3, 7}, {4, 7}, {5, 6}}, {8, 8, 8, 7, 7, 6, 5, 4, 2}},
      {17,
       {{0, 17},
        {1, 17},
        {2, 17},
        {3, 17},
        {4, 17},
        {5, 16},
        {6, 16},
        {7, 16},
        {8, 15},
        {9, 14},
        {10, 14},
        {11, 13},
        {12, 12}},
       {17, 17, 17, 17, 17, 16, 16, 16, 15, 14, 14, 13, 12, 11, 10, 8, 7, 4}}};
  const int c = 20;
  for (const Case& k : cases) {
    TestBitmap outline(41, 41), disc(41, 41);
    LICE_Circle(&outline, c, c, k.r, kWhite, 1.0f, 0, false);
    LICE_FillCircle(&disc, c, c, k.r, kWhite, 1.0f, 0, false);
    std::set<std::pair<int, int>> want;
    for (auto p : k.octant)
      for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
          want.insert({c + sx * p.first, c + sy * p.second});
          want.insert({c + sx * p.second, c + sy * p.first});
        }
    EXPECT_EQ(outline.Drawn(), want) << k.r;
    for (int y = 0; y < 41; y++) {
      const int d = std::abs(y - c);
      const int hw = d < (int)k.halfWidth.size() ? k.halfWidth[d] : -1;
      const Span s = disc.Run(y);
      EXPECT_EQ(s.first, hw < 0 ? -1 : c - hw) << k.r << " row " << y;
      EXPECT_EQ(s.last, hw < 0 ? -1 : c + hw) << k.r << " row " << y;
      EXPECT_TRUE(s.solid) << k.r << " row " << y;
    }
  }
}

TEST(Circle, AddModeDiscCoversEachPixelOnce) {
  TestRng rng(7);
  for (int i = 0; i < 200; i++) {
    TestBitmap bm(40, 30);
    const float cx = rng.Float(-5, 45), cy = rng.Float(-5, 35), r = rng.Float(0, 25);
    const bool aa = i & 1;
    LICE_FillCircle(&bm, cx, cy, r, 0x40404040, 1.0f, 1, aa);
    for (LICE_pixel p : bm.raw()) // rim pixels of the anti-aliased disc add less
      ASSERT_TRUE(aa ? (p & 0xFF) <= 0x40 : p == 0 || p == 0x40404040) << cx << "," << cy;
  }
}

TEST(Circle, EdgesRefusedArgumentsAndSmallRadii) {
  // Exactly sized bitmaps: any write outside is caught by the sanitizer build.
  TestRng rng(11);
  for (bool flipped : {false, true}) {
    TestBitmap bm(23, 17, flipped);
    for (int i = 0; i < 3000; i++) {
      const float cx = rng.Float(-40, 63), cy = rng.Float(-40, 57), r = rng.Float(0, 30);
      const bool aa = rng.Next() & 1;
      const int mode = rng.Int(0, 6);
      const float alpha = rng.Float(0, 1.2f);
      LICE_Circle(&bm, cx, cy, r, kWhite, alpha, mode, aa);
      LICE_FillCircle(&bm, cx, cy, r, 0xFF102030, alpha, mode, aa);
      LICE_Arc(&bm, cx, cy, r, rng.Float(-10, 10), rng.Float(-10, 10), kWhite, alpha, mode, aa);
    }
  }
  TestBitmap bm(20, 20);
  LICE_Circle(&bm, -13.5f, 10, 10, kWhite, 1.0f, 0, false); // 3.5 beyond the radius
  LICE_FillCircle(&bm, 10, 33.5f, 10, kWhite, 1.0f, 0, false);
  for (float v : {NAN, INFINITY, -INFINITY, 1e30f})
    for (bool aa : {false, true}) {
      LICE_Circle(&bm, v, 10, 5, kWhite, 1.0f, 0, aa);
      LICE_FillCircle(&bm, 10, v, 5, kWhite, 1.0f, 0, aa);
      LICE_FillCircle(&bm, 10, 10, v, kWhite, 1.0f, 0, aa);
      if (!std::isfinite(v)) LICE_Arc(&bm, 10, 10, 5, v, 1, kWhite, 1.0f, 0, aa);
      LICE_RoundRect(&bm, 2, 2, v, 10, 3, kWhite, 1.0f, 0, aa);
    }
  LICE_Circle(&bm, 10, 10, -2, kWhite, 1.0f, 0, false);
  LICE_FillCircle(&bm, 10, 10, -2, kWhite, 1.0f, 0, true);
  LICE_FillCircle(&bm, 10, 10, 5, kWhite, 1.0f / 512, 0, false); // weight 0
  LICE_FillCircle(&bm, 10, 10, 5, kWhite, 1.0f, 6, false);       // no such operator
  EXPECT_EQ(bm.Count(), 0);
  // Anti-aliased radii below 2 end at the rim instead of taking a negative root.
  for (float r : {0.1f, 0.5f, 0.99f, 1.2f, 1.9f}) {
    TestBitmap s(9, 9);
    LICE_Circle(&s, 4, 4, r, kWhite, 1.0f, 0, true);
    LICE_FillCircle(&s, 4, 4, r, kWhite, 1.0f, 1, true);
    for (auto& p : s.Drawn()) {
      EXPECT_LE(std::abs(p.first - 4), 2) << p.second;
      EXPECT_LE(std::abs(p.second - 4), 2) << p.first;
    }
  }
}

TEST(Arc, QuartersReversedAndFullTurns) {
  TestBitmap full(41, 41), quarters(41, 41);
  LICE_Circle(&full, 20, 20, 12.3f, kWhite, 1.0f, 0, false);
  for (int q = 0; q < 4; q++)
    LICE_Arc(&quarters, 20, 20, 12.3f, q * kPi / 2, (q + 1) * kPi / 2, kWhite, 1.0f, 0, false);
  EXPECT_EQ(full.Drawn(), quarters.Drawn());
  // 0 to pi/2 runs from the top point clockwise to the right-hand point.
  TestBitmap q1(41, 41);
  LICE_Arc(&q1, 20, 20, 12.3f, 0, kPi / 2, kWhite, 1.0f, 0, false);
  const auto s = q1.Drawn();
  EXPECT_EQ(s.count({20, 8}), 1u);
  EXPECT_EQ(s.count({32, 20}), 1u);
  for (auto& p : s) {
    EXPECT_GE(p.first, 20) << p.second;
    EXPECT_LE(p.second, 20) << p.first;
  }
  // Reversed angles draw the same; a full turn or more is the circle, mask radii included.
  TestBitmap a(41, 41), b(41, 41), c(41, 41), d(41, 41);
  LICE_Arc(&a, 20, 20, 9, 2.5f, 0.3f, kWhite, 1.0f, 0, true);
  LICE_Arc(&b, 20, 20, 9, 0.3f, 2.5f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(a.raw(), b.raw());
  LICE_Arc(&c, 20, 20, 3.0f, -1, 7, kWhite, 1.0f, 0, true);
  LICE_Circle(&d, 20, 20, 3.0f, kWhite, 1.0f, 0, true);
  EXPECT_EQ(c.raw(), d.raw());
}

TEST(Arc, FlippedBitmapMirrorsRows) {
  TestBitmap up(41, 41), flip(41, 41, true);
  LICE_Arc(&up, 20, 15, 10, 0.2f, 2.0f, kWhite, 1.0f, 0, false);
  LICE_Arc(&flip, 20, 15, 10, 0.2f, 2.0f, kWhite, 1.0f, 0, false);
  std::vector<std::pair<int, int>> diff; // the same up to the rounding of the ends
  const auto a = up.Drawn(), b = flip.Drawn();
  std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(diff));
  EXPECT_GT(a.size(), 15u);
  EXPECT_LE(diff.size(), 2u);
}

TEST(RoundRect, CornersAndFallback) {
  // Radius 0 or 1, or a rectangle too small for a radius of 2, is the plain outline.
  const float sizes[3][3] = {{10, 8, 0}, {10, 8, 1}, {3, 10, 5}};
  for (auto& s : sizes) {
    TestBitmap a(20, 20), b(20, 20);
    LICE_RoundRect(&a, 2, 3, s[0], s[1], (int)s[2], kWhite, 1.0f, 0, false);
    LICE_DrawRect(&b, 2, 3, (int)s[0], (int)s[1], kWhite, 1.0f, 0);
    EXPECT_EQ(a.raw(), b.raw()) << s[2];
  }
  // A real corner: the corner pixel stays clear, the edges are drawn, the shape is
  // symmetric about its diagonal.
  TestBitmap bm(30, 30);
  LICE_RoundRect(&bm, 4, 4, 20, 20, 5, kWhite, 1.0f, 0, false);
  EXPECT_EQ(bm.at(4, 4), 0u);
  for (auto p : {std::make_pair(14, 4), {4, 14}, {24, 14}, {14, 24}})
    EXPECT_EQ(bm.at(p.first, p.second), kWhite);
  for (int y = 0; y < 30; y++)
    for (int x = 0; x < 30; x++) EXPECT_EQ(bm.at(x, y), bm.at(y, x)) << x << "," << y;
}

} // namespace
