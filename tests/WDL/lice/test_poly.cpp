#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const LICE_pixel kWhite = 0xFFFFFFFF;

// Every memory row is one run (or empty).
void ExpectRuns(TestBitmap& bm) {
  for (int y = 0; y < bm.getHeight(); y++) ASSERT_TRUE(bm.Run(y).solid) << "row " << y;
}

// n points on an ellipse; rounding may make duplicates and collinear runs.
void MakeConvex(TestRng& rng, int n, std::vector<int>* xs, std::vector<int>* ys) {
  const float cx = rng.Float(-10, 50), cy = rng.Float(-10, 40);
  const float rx = rng.Float(0, 30), ry = rng.Float(0, 30), ph = rng.Float(0, 6.28f);
  xs->clear(), ys->clear();
  for (int i = 0; i < n; i++) {
    xs->push_back((int)std::lround(cx + rx * cosf(ph + 6.2831853f * i / n)));
    ys->push_back((int)std::lround(cy + ry * sinf(ph + 6.2831853f * i / n)));
  }
}

TEST(Trapezoid, RowStarts) {
  struct Case {
    int x1a, x1b, y1, x2a, x2b, y2;
    std::vector<int> starts; // first column of rows 0.., -1 for an empty row
  };
  const Case cases[] = {
      {2, 5, 1, 2, 5, 3, {-1, 2, 2, 2, -1}},
      {0, 8, 0, 4, 8, 4, {0, 1, 2, 3, 4}},
      {0, 8, 0, 3, 8, 4, {0, 0, 1, 2, 3}},
      {4, 8, 4, 0, 8, 0, {0, 1, 2, 3, 4}},     // bottom row first
      {8, 0, 0, 8, 4, 4, {0, 1, 2, 3, 4}},     // spans reversed
      {1, 6, 2, 5, 7, 2, {-1, -1, 1, -1, -1}}, // one row: the first span only
      {0, 8, -4, 8, 9, 4, {4, 5, 6, 7, 8}},    // starting above: edges already advanced
  };
  for (const Case& c : cases) {
    TestBitmap bm(10, 5, true); // memory rows, whatever the flip
    LICE_FillTrapezoid(&bm, c.x1a, c.x1b, c.y1, c.x2a, c.x2b, c.y2, kWhite, 1.0f, 0);
    ExpectRuns(bm);
    for (int y = 0; y < 5; y++) EXPECT_EQ(bm.Run(y).first, c.starts[y]) << c.x1a << " row " << y;
  }
  // Edges far outside on every side: clean in the sanitizer build, rows contiguous.
  TestRng rng(3);
  for (int i = 0; i < 3000; i++) {
    TestBitmap bm(13, 11);
    auto v = [&] {
      return rng.Next() % 4 == 0 ? rng.Int(-2000000000, 2000000000) : rng.Int(-20, 30);
    };
    LICE_FillTrapezoid(&bm, v(), v(), v(), v(), v(), v(), kWhite, 1.0f, rng.Int(0, 1));
    ExpectRuns(bm);
  }
}

TEST(Polygon, VertexOrderAndExactlyOnce) {
  TestRng rng(5);
  for (int i = 0; i < 400; i++) {
    std::vector<int> xs, ys, px, py;
    MakeConvex(rng, i % 50 == 0 ? 2000 : rng.Int(3, 12), &xs, &ys);
    TestBitmap a(40, 30), b(40, 30);
    // Add mode with 0x40 per channel: a pixel combined twice would reach 0x80.
    LICE_FillConvexPolygon(&a, xs.data(), ys.data(), (int)xs.size(), 0x40404040, 1.0f, 1);
    for (LICE_pixel p : a.raw()) ASSERT_TRUE(p == 0 || p == 0x40404040) << i;
    ExpectRuns(a);
    // Any order of the vertices fills the same pixels.
    for (size_t k = xs.size(); k > 1; k--) {
      const size_t j = rng.Next() % k;
      std::swap(xs[k - 1], xs[j]), std::swap(ys[k - 1], ys[j]);
    }
    LICE_FillConvexPolygon(&b, xs.data(), ys.data(), (int)xs.size(), 0x40404040, 1.0f, 1);
    ASSERT_EQ(a.raw(), b.raw()) << i;
  }
}

TEST(Polygon, ManyVerticesDegenerateAndFlipped) {
  // 600 vertices (past the local buffer) fill like their 4 distinct corners.
  std::vector<int> xs, ys;
  const int cx[4] = {2, 15, 15, 2}, cy[4] = {3, 3, 12, 12};
  for (int i = 0; i < 600; i++) xs.push_back(cx[i % 4]), ys.push_back(cy[i % 4]);
  TestBitmap many(20, 16), four(20, 16);
  LICE_FillConvexPolygon(&many, xs.data(), ys.data(), 600, 0x40404040, 1.0f, 1);
  LICE_FillConvexPolygon(&four, cx, cy, 4, 0x40404040, 1.0f, 1);
  EXPECT_EQ(many.raw(), four.raw());
  EXPECT_EQ(four.Count(), 14 * 10);

  TestBitmap bm(20, 10);
  const int lx[3] = {-9, -5, -2}, ly[3] = {2, 2, 2}, ly2[3] = {1, 7, 4};
  LICE_FillConvexPolygon(&bm, lx, ly, 3, kWhite, 1.0f, 0);  // one row, wholly left
  LICE_FillConvexPolygon(&bm, lx, ly2, 3, kWhite, 1.0f, 0); // wholly left
  LICE_FillConvexPolygon(&bm, cx, cy, 2, kWhite, 1.0f, 0);  // two points
  EXPECT_EQ(bm.Count(), 0);
  const int rx[4] = {7, 3, 12, 5}, ry[4] = {4, 4, 4, 4}; // one row: least to greatest x
  LICE_FillConvexPolygon(&bm, rx, ry, 4, kWhite, 1.0f, 0);
  EXPECT_EQ(bm.Run(4).first, 3);
  EXPECT_EQ(bm.Run(4).last, 12);
  EXPECT_EQ(bm.Count(), 10);

  // On a flipped bitmap the rows count from the bottom of the buffer.
  const int fx[3] = {2, 12, 4}, fy[3] = {1, 3, 8}, my[3] = {8, 6, 1};
  TestBitmap mirrored(16, 10), flip(16, 10, true);
  LICE_FillConvexPolygon(&mirrored, fx, my, 3, kWhite, 1.0f, 0);
  LICE_FillConvexPolygon(&flip, fx, fy, 3, kWhite, 1.0f, 0);
  EXPECT_GT(flip.Count(), 20);
  EXPECT_EQ(mirrored.raw(), flip.raw());
}

TEST(Polygon, WholeWordPathsMatchTheOperators) {
  // Copy at weights 256, 128, 64 and 192 takes the whole-word loops (which truncate each
  // channel's low bits); other weights the copy operator. White over black:
  const std::pair<float, LICE_pixel> cases[] = {{1.0f, 0xFFFFFFFF},
                                                {0.5f, 0x7F7F7F7F},
                                                {0.25f, 0x3F3F3F3F},
                                                {0.75f, 0xBEBEBEBE},
                                                {0.3f, 0x4C4C4C4C}};
  for (auto& c : cases) {
    TestBitmap bm(8, 8);
    LICE_FillTriangle(&bm, 0, 0, 7, 0, 0, 7, kWhite, c.first, 0);
    EXPECT_EQ(bm.at(1, 1), c.second) << c.first;
  }
  // Add onto black is a plain store: the operator loop against the whole-word loop.
  TestRng rng(21);
  for (int i = 0; i < 100; i++) {
    std::vector<int> xs, ys;
    MakeConvex(rng, 6, &xs, &ys);
    TestBitmap a(40, 30), b(40, 30);
    const LICE_pixel c = rng.Next();
    LICE_FillConvexPolygon(&a, xs.data(), ys.data(), 6, c, 1.0f, 0);
    LICE_FillConvexPolygon(&b, xs.data(), ys.data(), 6, c, 1.0f, 1);
    ASSERT_EQ(a.raw(), b.raw());
  }
}

} // namespace
