#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.14159265358979323846f;

TEST(RotatedBlit, AngleZeroIsABlitAndPiAMirroredOne) {
  TestBitmap src(20, 15);
  src.Randomize(1, 0xFF000000);
  for (int mode : {0, 0x100, 1, 0x10000}) {
    TestBitmap a(24, 20, false, 0, 0xFF445566), b(24, 20, false, 0, 0xFF445566);
    LICE_RotatedBlit(&a, &src, 2, 3, 12, 10, 4, 2, 12, 10, 0.0f, false, 0.7f, mode);
    LICE_Blit(&b, &src, 2, 3, 4, 2, 12, 10, 0.7f, mode);
    EXPECT_EQ(a.raw(), b.raw()) << mode;
  }
  // Half a turn within the same rectangle, clipped to it: the source upside down and left
  // to right. Each sample takes the pixel at or after its position, as the mirrored scaled
  // blit does, so the first column is left alone; single-precision sin(pi) may move the
  // rows by one.
  TestBitmap a(24, 20);
  LICE_RotatedBlit(&a, &src, 2, 3, 12, 10, 4, 2, 12, 10, kPi, true, 1.0f, 0);
  int drawn = 0;
  for (auto& p : a.Drawn()) {
    const int x = p.first, y = p.second;
    drawn++;
    EXPECT_GE(x, 3) << y;
    EXPECT_LT(x, 14) << y;
    EXPECT_GE(y, 3) << x;
    EXPECT_LT(y, 13) << x;
    EXPECT_TRUE(a.at(x, y) == src.at(18 - x, 15 - y) || a.at(x, y) == src.at(18 - x, 14 - y));
  }
  EXPECT_GE(drawn, 11 * 9);
}

TEST(RotatedBlit, ClipToSource) {
  TestBitmap src(20, 20);
  src.Randomize(1, 0xFF000000);
  // A turn by 45 degrees leaves the destination corners untouched with clipping, and fills
  // them from the surrounding source without; inside, both agree.
  TestBitmap clip(10, 10), free(10, 10);
  LICE_RotatedBlit(&clip, &src, 2, 2, 6, 6, 7, 7, 6, 6, kPi / 4, true, 1.0f, 0);
  LICE_RotatedBlit(&free, &src, 2, 2, 6, 6, 7, 7, 6, 6, kPi / 4, false, 1.0f, 0);
  EXPECT_EQ(clip.at(2, 2), 0u);
  EXPECT_NE(free.at(2, 2), 0u);
  EXPECT_NE(clip.at(5, 5), 0u);
  for (auto& p : clip.Drawn()) EXPECT_EQ(clip.at(p.first, p.second), free.at(p.first, p.second));
}

TEST(RotatedBlit, WeightsAndArguments) {
  TestBitmap src(8, 8), dst(8, 8);
  src.Randomize(1, 0xFF000000);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, 1.0f / 512, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, NAN, false, 1.0f, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, INFINITY, 0, 8, 8, 0.3f, false, 1.0f, 0);
  LICE_RotatedBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8, 8, 0.3f, false, 1.0f, 7);
  EXPECT_EQ(dst.Count(), 0);
  // Random walks far outside either bitmap stay clean in the sanitizer build.
  TestRng rng(2);
  for (int i = 0; i < 2000; i++) {
    TestBitmap s(rng.Int(1, 9), rng.Int(1, 9), rng.Next() & 1), d(rng.Int(1, 9), rng.Int(1, 9));
    s.Randomize(i + 1, 0xFF000000);
    auto f = [&](float lim) { return rng.Float(-lim, lim); };
    LICE_RotatedBlit(&d, &s, rng.Int(-10, 10), rng.Int(-10, 10), rng.Int(-20, 20), rng.Int(-20, 20),
                     f(10), f(10), f(20), f(20), f(7), rng.Next() & 1, 1.0f,
                     (rng.Next() & 1) ? 0x100 : 0, f(3), f(3));
    LICE_DeltaBlit(&d, &s, rng.Int(-10, 10), rng.Int(-10, 10), rng.Int(-20, 20), rng.Int(-20, 20),
                   f(10), f(10), f(20), f(20), f(3), f(3), f(3), f(3), f(1), f(1), rng.Next() & 1,
                   0.6f, 0x100);
    LICE_DeltaBlitAlpha(&d, &s, 0, 0, 9, 9, 0, 0, 9, 9, 1e12, -1e12, 1e12, 3, 1e12, 1, false, 1e6f,
                        0, 1e9, -1e9, 1e9);
  }
  // A fade in along x: weight 0 at the left, 128 half way.
  TestBitmap white(16, 1, false, 0, 0xFFFFFFFF), fade(16, 1);
  LICE_DeltaBlitAlpha(&fade, &white, 0, 0, 16, 1, 0, 0, 16, 1, 1, 0, 0, 1, 0, 0, false, 0.0f, 0,
                      1.0 / 16, 0, 0);
  EXPECT_EQ(fade.at(0, 0), 0u);
  for (int x = 1; x < 16; x++) EXPECT_GT(fade.at(x, 0) & 0xFF, fade.at(x - 1, 0) & 0xFF) << x;
  EXPECT_EQ(fade.at(8, 0), 0x80808080u);
}

TEST(TransformBlit, GridsEqualScaledBlits) {
  TestBitmap src(20, 16);
  src.Randomize(1, 0xFF000000);
  for (int mode : {0, 0x100}) {
    // Two by two: the corners of the whole source stretched over the destination (the grid
    // blits sample the whole source bitmap, the scaled blit only its rectangle, which differ
    // in the bilinear filter's last column).
    const float corners[8] = {0, 0, 20, 0, 0, 16, 20, 16};
    TestBitmap a(30, 30), b(30, 30), c(30, 30);
    LICE_TransformBlit(&a, &src, 1, 2, 24, 16, corners, 2, 2, 1.0f, mode);
    LICE_ScaledBlit(&b, &src, 1, 2, 24, 16, 0, 0, 20, 16, 1.0f, mode);
    EXPECT_EQ(a.raw(), b.raw()) << mode;
    // The same mapping as a 4 x 3 grid of doubles.
    double grid[4 * 3 * 2];
    for (int k = 0; k < 12; k++) grid[k * 2] = 20.0 * (k % 4) / 3, grid[k * 2 + 1] = 8.0 * (k / 4);
    LICE_TransformBlit2(&c, &src, 1, 2, 24, 16, grid, 4, 3, 1.0f, mode);
    int diff = 0;
    for (size_t i = 0; i < c.raw().size(); i++) diff += c.raw()[i] != b.raw()[i];
    EXPECT_LE(diff, mode ? 40 : 8) << mode; // cells restart their 16.16 walk
  }
  // Too few grid points or an empty rectangle draw nothing.
  TestBitmap d(30, 30);
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
