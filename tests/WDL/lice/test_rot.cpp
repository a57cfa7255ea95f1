#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/shapes/shape_testutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.14159265358979323846f;

TEST(RotatedBlit, AngleZeroIsABlit) {
  TightBitmap src(20, 15);
  Pattern(&src);
  for (int mode : {0, 0x100, 1, 0x10000}) {
    TightBitmap a(24, 20, false, 0xFF445566), b(24, 20, false, 0xFF445566);
    LICE_RotatedBlit(&a, &src, 2, 3, 12, 10, 4, 2, 12, 10, 0.0f, false, 0.7f, mode);
    LICE_Blit(&b, &src, 2, 3, 4, 2, 12, 10, 0.7f, mode);
    EXPECT_EQ(a.pixels(), b.pixels()) << mode;
  }
}

TEST(RotatedBlit, AnglePiIsAMirroredBlit) {
  // Half a turn within the same rectangle, clipped to it: the source upside down and left
  // to right. Each sample takes the pixel at or after its position, as the mirrored scaled
  // blit does, so the first column is left alone; single-precision sin(pi) may move the
  // rows by one.
  TightBitmap src(20, 15);
  Pattern(&src);
  TightBitmap a(24, 20);
  LICE_RotatedBlit(&a, &src, 2, 3, 12, 10, 4, 2, 12, 10, kPi, true, 1.0f, 0);
  for (int y = 0; y < 20; y++) EXPECT_EQ(a.at(2, y), 0u);
  int drawn = 0;
  for (int y = 3; y < 13; y++)
    for (int x = 3; x < 14; x++) {
      const LICE_pixel p = a.at(x, y);
      if (!p) continue;
      drawn++;
      EXPECT_TRUE(p == src.at(18 - x, 15 - y) || p == src.at(18 - x, 14 - y)) << x << "," << y;
    }
  EXPECT_GE(drawn, 11 * 9);
}

TEST(RotatedBlit, ClipToSource) {
  TightBitmap src(20, 20);
  Pattern(&src);
  // A quarter turn of a 6 x 6 rectangle about its centre stays inside it when clipped; a
  // turn by 45 degrees leaves the destination corners untouched with clipping, and fills
  // them from the surrounding source without.
  TightBitmap clip(10, 10), free(10, 10);
  LICE_RotatedBlit(&clip, &src, 2, 2, 6, 6, 7, 7, 6, 6, kPi / 4, true, 1.0f, 0);
  LICE_RotatedBlit(&free, &src, 2, 2, 6, 6, 7, 7, 6, 6, kPi / 4, false, 1.0f, 0);
  EXPECT_EQ(clip.at(2, 2), 0u);
  EXPECT_NE(free.at(2, 2), 0u);
  EXPECT_EQ(clip.at(5, 5), free.at(5, 5));
  for (auto& p : clip.Drawn()) EXPECT_EQ(clip.at(p.first, p.second), free.at(p.first, p.second));
}

TEST(RotatedBlit, WeightsAndArguments) {
  TightBitmap src(8, 8), dst(8, 8);
  Pattern(&src);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, 1.0f / 512, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, NAN, false, 1.0f, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, INFINITY, 0, 8, 8, 0.3f, false, 1.0f, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, 1.0f, 7);
  EXPECT_EQ(dst.Count(), 0);
  // Random walks far outside either bitmap stay clean in the sanitizer build.
  TestRng rng(2);
  for (int i = 0; i < 2000; i++) {
    TightBitmap s(rng.Int(1, 9), rng.Int(1, 9), rng.Next() & 1), d(rng.Int(1, 9), rng.Int(1, 9));
    Pattern(&s, i + 1);
    LICE_RotatedBlit(&d, &s, rng.Int(-10, 10), rng.Int(-10, 10), rng.Int(-20, 20), rng.Int(-20, 20),
                     rng.Float(-10, 10), rng.Float(-10, 10), rng.Float(-20, 20), rng.Float(-20, 20),
                     rng.Float(-7, 7), rng.Next() & 1, 1.0f, (rng.Next() & 1) ? 0x100 : 0,
                     rng.Float(-3, 3), rng.Float(-3, 3));
    LICE_DeltaBlit(&d, &s, rng.Int(-10, 10), rng.Int(-10, 10), rng.Int(-20, 20), rng.Int(-20, 20),
                   rng.Float(-10, 10), rng.Float(-10, 10), rng.Float(-20, 20), rng.Float(-20, 20),
                   rng.Float(-3, 3), rng.Float(-3, 3), rng.Float(-3, 3), rng.Float(-3, 3),
                   rng.Float(-1, 1), rng.Float(-1, 1), rng.Next() & 1, 0.6f, 0x100);
    LICE_DeltaBlitAlpha(&d, &s, 0, 0, 9, 9, 0, 0, 9, 9, 1e12, -1e12, 1e12, 3, 1e12, 1, false, 1e6f,
                        0, 1e9, -1e9, 1e9);
  }
}

TEST(DeltaBlitAlpha, FadesIn) {
  TightBitmap src(16, 1, false, 0xFFFFFFFF), dst(16, 1);
  LICE_DeltaBlitAlpha(&dst, &src, 0, 0, 16, 1, 0, 0, 16, 1, 1, 0, 0, 1, 0, 0, false, 0.0f, 0,
                      1.0 / 16, 0, 0);
  EXPECT_EQ(dst.at(0, 0), 0u);
  for (int x = 1; x < 16; x++) EXPECT_GT(dst.at(x, 0) & 0xFF, dst.at(x - 1, 0) & 0xFF) << x;
  EXPECT_EQ(dst.at(8, 0), 0x80808080u); // weight 128 of white over black
}

TEST(TransformBlit, GridsEqualScaledBlits) {
  TightBitmap src(20, 16);
  Pattern(&src);
  for (int mode : {0, 0x100}) {
    // Two by two: the corners of a source rectangle stretched over the destination.
    // (The whole source: the grid blits sample the whole source bitmap, the scaled blit only
    // its rectangle, which differ in the bilinear filter's last column.)
    const float corners[8] = {0, 0, 20, 0, 0, 16, 20, 16};
    TightBitmap a(30, 30), b(30, 30), c(30, 30);
    LICE_TransformBlit(&a, &src, 1, 2, 24, 16, corners, 2, 2, 1.0f, mode);
    LICE_ScaledBlit(&b, &src, 1, 2, 24, 16, 0, 0, 20, 16, 1.0f, mode);
    EXPECT_EQ(a.pixels(), b.pixels()) << mode;
    // The same mapping as a 4 x 3 grid of doubles.
    double grid[4 * 3 * 2];
    for (int r = 0; r < 3; r++)
      for (int k = 0; k < 4; k++) {
        grid[(r * 4 + k) * 2] = 20.0 * k / 3;
        grid[(r * 4 + k) * 2 + 1] = 16.0 * r / 2;
      }
    LICE_TransformBlit2(&c, &src, 1, 2, 24, 16, grid, 4, 3, 1.0f, mode);
    int diff = 0;
    for (size_t i = 0; i < c.pixels().size(); i++) diff += c.pixels()[i] != b.pixels()[i];
    EXPECT_LE(diff, mode ? 40 : 8) << mode; // cells restart their 16.16 walk
  }
  // Too few grid points or an empty rectangle draw nothing.
  TightBitmap d(30, 30);
  const float pts[8] = {0, 0, 10, 0, 0, 10, 10, 10};
  LICE_TransformBlit(&d, &src, 0, 0, 10, 10, pts, 1, 2, 1.0f, 0);
  LICE_TransformBlit(&d, &src, 0, 0, 0, 10, pts, 2, 2, 1.0f, 0);
  EXPECT_EQ(d.Count(), 0);
  // A cell narrower than half a pixel is skipped; its neighbour starts at the same place.
  const double alphas[3 * 2 * 3] = {0, 0, 1, 5, 0, 1, 10, 0, 1, 0, 10, 1, 5, 10, 1, 10, 10, 1};
  LICE_TransformBlit2Alpha(&d, &src, 0, 0, 1, 10, alphas, 3, 2, 0);
  EXPECT_GT(d.Count(), 0);
}

} // namespace
