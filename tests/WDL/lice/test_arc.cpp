#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/shapes/shape_testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

namespace {

const float kPi = 3.14159265358979323846f;
typedef std::set<std::pair<int, int>> PixelSet;

PixelSet Drawn(TightBitmap& bm) {
  PixelSet s;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
      if (bm.at(x, y)) s.insert({x, y});
  return s;
}

// The copy operator's result for a mask byte v of white over black.
int CopyOverBlack(int v) {
  return 255 + (-255 * (256 - v)) / 256;
}

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
  for (const Case& c : cases) {
    for (bool aa : {false, true}) {
      TightBitmap bm(20, 20);
      LICE_Circle(&bm, 10.3f, 9.7f, c.r, 0xFFFFFFFF, 1.0f, 0, aa);
      const int x0 = (int)(10.3f - c.r), y0 = (int)(9.7f - c.r);
      for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++)
          if (x < x0 || y < y0 || x >= x0 + c.size || y >= y0 + c.size) {
            ASSERT_EQ(bm.at(x, y), 0u) << c.r << " aa " << aa;
          }
      for (int i = 0; i < c.size; i++) {
        unsigned v = 0;
        sscanf((aa ? c.aa : c.plain) + 2 * i, "%2x", &v);
        const LICE_pixel want = v ? 0x01010101u * CopyOverBlack((int)v) : 0;
        EXPECT_EQ(bm.at(x0 + i, y0), want) << c.r << " column " << i;
      }
      // Masks are symmetric in both axes.
      for (int y = 0; y < c.size; y++)
        for (int x = 0; x < c.size; x++) {
          EXPECT_EQ(bm.at(x0 + x, y0 + y), bm.at(x0 + c.size - 1 - x, y0 + y));
          EXPECT_EQ(bm.at(x0 + x, y0 + y), bm.at(x0 + x, y0 + c.size - 1 - y));
        }
    }
  }
  // Just off a mask radius the rasteriser draws instead.
  TightBitmap a(20, 20), b(20, 20);
  LICE_Circle(&a, 10, 10, 3.0f, 0xFFFFFFFF, 1.0f, 0, true);
  LICE_Circle(&b, 10, 10, 3.01f, 0xFFFFFFFF, 1.0f, 0, true);
  EXPECT_NE(a.pixels(), b.pixels());
}

TEST(Circle, OutlinesAndDiscsAreSymmetric) {
  for (float r : {0.0f, 1.0f, 5.0f, 7.4f, 12.6f, 20.0f}) {
    for (bool fill : {false, true}) {
      for (bool aa : {false, true}) {
        TightBitmap bm(61, 61);
        if (fill)
          LICE_FillCircle(&bm, 30, 30, r, 0xFF00FF00, 1.0f, 0, aa);
        else
          LICE_Circle(&bm, 30, 30, r, 0xFF00FF00, 1.0f, 0, aa);
        EXPECT_GT(bm.Count(), 0) << r;
        // Where anti-aliased rim points overlap near the diagonal the later one wins, so
        // there the pixel set is symmetric but not every weight; the rim also draws its
        // diagonal step on one side only.
        auto px = [&](int x, int y) { return aa ? bm.at(x, y) != 0 : bm.at(x, y); };
        for (int y = 0; y < 61; y++)
          for (int x = 0; x < 61; x++) {
            ASSERT_EQ(px(x, y), px(60 - x, y)) << r << " " << fill << aa;
            ASSERT_EQ(px(x, y), px(x, 60 - y)) << r << " " << fill << aa;
            if (!aa) {
              ASSERT_EQ(px(x, y), px(y, x)) << r << " " << fill << aa;
            }
          }
      }
    }
  }
}

TEST(Circle, AddModeDiscCoversEachPixelOnce) {
  TestRng rng(7);
  for (int i = 0; i < 200; i++) {
    TightBitmap bm(40, 30);
    const float cx = rng.Float(-5, 45), cy = rng.Float(-5, 35), r = rng.Float(0, 25);
    const bool aa = i & 1;
    LICE_FillCircle(&bm, cx, cy, r, 0x40404040, 1.0f, 1, aa);
    for (LICE_pixel p : bm.pixels()) {
      // Rim pixels of the anti-aliased disc add less; nothing is added twice.
      if (aa)
        ASSERT_LE(p & 0xFF, 0x40u) << cx << "," << cy << " r " << r;
      else
        ASSERT_TRUE(p == 0 || p == 0x40404040) << cx << "," << cy << " r " << r;
    }
    if (!aa && cx >= r + 2 && cy >= r + 2 && cx + r + 2 < 40 && cy + r + 2 < 30) {
      // A disc inside the bitmap covers about the area of its rounded radius.
      const int ri = (int)(r + 0.5f);
      EXPECT_GE(bm.Count(), kPi * (ri - 0.5) * (ri - 0.5));
      EXPECT_LE(bm.Count(), kPi * (ri + 1) * (ri + 1));
    }
  }
}

TEST(Circle, CentresNearAndBeyondEveryEdge) {
  // Exactly sized bitmaps: any write outside is caught by the sanitizer build.
  TestRng rng(11);
  for (bool flipped : {false, true}) {
    TightBitmap bm(23, 17, flipped);
    for (int i = 0; i < 3000; i++) {
      const float cx = rng.Float(-40, 63), cy = rng.Float(-40, 57), r = rng.Float(0, 30);
      const bool aa = rng.Next() & 1;
      const int mode = rng.Int(0, 6);
      const float alpha = rng.Float(0, 1.2f);
      LICE_Circle(&bm, cx, cy, r, 0xFFFFFFFF, alpha, mode, aa);
      LICE_FillCircle(&bm, cx, cy, r, 0xFF102030, alpha, mode, aa);
      LICE_Arc(&bm, cx, cy, r, rng.Float(-10, 10), rng.Float(-10, 10), 0xFFFFFFFF, alpha, mode, aa);
    }
  }
  // Far beyond the radius draws nothing.
  TightBitmap bm(20, 20);
  LICE_Circle(&bm, -13.5f, 10, 10, 0xFFFFFFFF, 1.0f, 0, false);
  LICE_FillCircle(&bm, 10, 33.5f, 10, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_EQ(bm.Count(), 0);
}

TEST(Circle, RefusedArguments) {
  const float bad[] = {NAN, INFINITY, -INFINITY, 1e30f};
  TightBitmap bm(20, 20);
  for (float v : bad) {
    for (bool aa : {false, true}) {
      LICE_Circle(&bm, v, 10, 5, 0xFFFFFFFF, 1.0f, 0, aa);
      LICE_FillCircle(&bm, 10, v, 5, 0xFFFFFFFF, 1.0f, 0, aa);
      LICE_FillCircle(&bm, 10, 10, v, 0xFFFFFFFF, 1.0f, 0, aa);
      if (!std::isfinite(v)) LICE_Arc(&bm, 10, 10, 5, v, 1, 0xFFFFFFFF, 1.0f, 0, aa);
      LICE_RoundRect(&bm, 2, 2, v, 10, 3, 0xFFFFFFFF, 1.0f, 0, aa);
    }
  }
  LICE_Circle(&bm, 10, 10, -2, 0xFFFFFFFF, 1.0f, 0, false);
  LICE_FillCircle(&bm, 10, 10, -2, 0xFFFFFFFF, 1.0f, 0, true);
  LICE_FillCircle(&bm, 10, 10, 5, 0xFFFFFFFF, 1.0f / 512, 0, false); // weight 0
  LICE_FillCircle(&bm, 10, 10, 5, 0xFFFFFFFF, 1.0f, 6, false);       // no such operator
  EXPECT_EQ(bm.Count(), 0);
}

TEST(Circle, SmallAntiAliasedRadiiEnd) {
  // Radii below 1 (and between 1 and 2) end at the rim instead of taking a negative root.
  for (float r : {0.1f, 0.5f, 0.99f, 1.2f, 1.9f}) {
    TightBitmap bm(9, 9);
    LICE_Circle(&bm, 4, 4, r, 0xFFFFFFFF, 1.0f, 0, true);
    LICE_FillCircle(&bm, 4, 4, r, 0xFFFFFFFF, 1.0f, 1, true);
    for (int y = 0; y < 9; y++)
      for (int x = 0; x < 9; x++)
        if (std::abs(x - 4) > 2 || std::abs(y - 4) > 2) {
          EXPECT_EQ(bm.at(x, y), 0u) << r;
        }
  }
}

TEST(Circle, CopyWeights) {
  // Off the mask radii: alpha 1 stores the colour, alpha 0.5 averages, alpha 0.25 blends.
  TightBitmap bm(40, 40, false, 0x20406080);
  LICE_Circle(&bm, 20, 20, 10, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_EQ(bm.at(20, 10), 0xFFFFFFFFu);
  bm.Fill(0x20406080);
  LICE_Circle(&bm, 20, 20, 10, 0xFFFFFFFF, 0.5f, 0, false);
  EXPECT_EQ(bm.at(20, 10), 0x8F9FAFBFu);
  bm.Fill(0);
  LICE_Circle(&bm, 20, 20, 10, 0xFF000000, 0.25f, 0, false);
  EXPECT_EQ(bm.at(20, 10), 0x40000000u);
}

TEST(Arc, QuartersMakeTheCircle) {
  TightBitmap full(41, 41), quarters(41, 41);
  LICE_Circle(&full, 20, 20, 12.3f, 0xFFFFFFFF, 1.0f, 0, false);
  for (int q = 0; q < 4; q++)
    LICE_Arc(&quarters, 20, 20, 12.3f, q * kPi / 2, (q + 1) * kPi / 2, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_EQ(Drawn(full), Drawn(quarters));

  // 0 to pi/2 runs from the top point clockwise to the right-hand point.
  TightBitmap q1(41, 41);
  LICE_Arc(&q1, 20, 20, 12.3f, 0, kPi / 2, 0xFFFFFFFF, 1.0f, 0, false);
  const PixelSet s = Drawn(q1);
  EXPECT_TRUE(s.count({20, 8}) && s.count({32, 20}));
  for (auto& p : s) EXPECT_TRUE(p.first >= 20 && p.second <= 20) << p.first << "," << p.second;

  // Reversed angles draw the same; a full turn or more is the circle, mask radii included.
  TightBitmap a(41, 41), b(41, 41);
  LICE_Arc(&a, 20, 20, 9, 2.5f, 0.3f, 0xFFFFFFFF, 1.0f, 0, true);
  LICE_Arc(&b, 20, 20, 9, 0.3f, 2.5f, 0xFFFFFFFF, 1.0f, 0, true);
  EXPECT_EQ(a.pixels(), b.pixels());
  TightBitmap c(41, 41), d(41, 41);
  LICE_Arc(&c, 20, 20, 3.0f, -1, 7, 0xFFFFFFFF, 1.0f, 0, true);
  LICE_Circle(&d, 20, 20, 3.0f, 0xFFFFFFFF, 1.0f, 0, true);
  EXPECT_EQ(c.pixels(), d.pixels());
  // Angles far out of range come back to the same arc.
  TightBitmap e(41, 41);
  LICE_Arc(&e, 20, 20, 9, 0.3f + 8 * kPi, 2.5f + 8 * kPi, 0xFFFFFFFF, 1.0f, 0, true);
  int diff = 0;
  for (size_t i = 0; i < e.pixels().size(); i++) diff += e.pixels()[i] != b.pixels()[i];
  EXPECT_LE(diff, 2); // float rounding of the reduced angles may move an end pixel
}

TEST(Arc, FlippedBitmapMirrorsRows) {
  TightBitmap up(41, 41), flip(41, 41, true);
  LICE_Arc(&up, 20, 15, 10, 0.2f, 2.0f, 0xFFFFFFFF, 1.0f, 0, false);
  LICE_Arc(&flip, 20, 15, 10, 0.2f, 2.0f, 0xFFFFFFFF, 1.0f, 0, false);
  // The same arc up to the rounding of its end points.
  const PixelSet a = Drawn(up), b = Drawn(flip);
  int missing = 0;
  for (auto& p : a) missing += !b.count(p);
  for (auto& p : b) missing += !a.count(p);
  EXPECT_GT(a.size(), 15u);
  EXPECT_LE(missing, 2);
}

TEST(RoundRect, CornersAndFallback) {
  // Radius 1, or a rectangle too small for a radius of 2, is the plain outline.
  for (int rad : {0, 1}) {
    TightBitmap a(20, 20), b(20, 20);
    LICE_RoundRect(&a, 2, 3, 10, 8, rad, 0xFFFFFFFF, 1.0f, 0, false);
    LICE_DrawRect(&b, 2, 3, 10, 8, 0xFFFFFFFF, 1.0f, 0);
    EXPECT_EQ(a.pixels(), b.pixels());
  }
  TightBitmap small(20, 20), rect(20, 20);
  LICE_RoundRect(&small, 2, 3, 3, 10, 5, 0xFFFFFFFF, 1.0f, 0, false);
  LICE_DrawRect(&rect, 2, 3, 3, 10, 0xFFFFFFFF, 1.0f, 0);
  EXPECT_EQ(small.pixels(), rect.pixels());

  // A real corner: the corner pixel stays clear, the edges are drawn, the shape is closed
  // and symmetric.
  TightBitmap bm(30, 30);
  LICE_RoundRect(&bm, 4, 4, 20, 20, 5, 0xFFFFFFFF, 1.0f, 0, false);
  EXPECT_EQ(bm.at(4, 4), 0u);
  EXPECT_EQ(bm.at(14, 4), 0xFFFFFFFFu);
  EXPECT_EQ(bm.at(4, 14), 0xFFFFFFFFu);
  EXPECT_EQ(bm.at(24, 14), 0xFFFFFFFFu);
  EXPECT_EQ(bm.at(14, 24), 0xFFFFFFFFu);
  for (int y = 0; y < 30; y++)
    for (int x = 0; x < 30; x++) EXPECT_EQ(bm.at(x, y), bm.at(y, x)) << x << "," << y;
  // Each row of the outline meets the left half exactly where the right half mirrors it.
  for (int y = 4; y <= 24; y++) {
    int n = 0;
    for (int x = 0; x < 30; x++) n += bm.at(x, y) != 0;
    EXPECT_GE(n, 2) << y;
  }
}

} // namespace
