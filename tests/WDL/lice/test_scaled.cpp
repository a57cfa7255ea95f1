#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/shapes/shape_testutil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A source whose every pixel is distinct and opaque.
void Pattern(TightBitmap* bm, uint32_t seed = 1) {
  TestRng rng(seed);
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++) bm->at(x, y) = rng.Next() | 0xFF000000;
}

TEST(ScaledBlit, PassThroughAtWholeSteps) {
  TightBitmap src(16, 12);
  Pattern(&src);
  struct Case {
    float sx, sy;
    int mode;
    bool passes; // equals LICE_Blit from the rounded position
  };
  const Case cases[] = {{3.0f, 4.0f, 0, true},       {3.02f, 4.0f, 0x100, true},
                        {3.05f, 4.0f, 0x100, false}, {3.4f, 4.4f, 0, true},
                        {-2.0f, 1.0f, 0, true},      {2.6f, 1.0f, 1, true}};
  for (const Case& c : cases) {
    TightBitmap a(12, 10, false, 0xFF203040), b(12, 10, false, 0xFF203040);
    LICE_ScaledBlit(&a, &src, 1, 2, 10, 7, c.sx, c.sy, 10.0f, 7.0f, 0.8f, c.mode);
    LICE_Blit(&b, &src, 1, 2, (int)(c.sx + 0.5f), (int)(c.sy + 0.5f), 10, 7, 0.8f, c.mode);
    EXPECT_EQ(a.pixels() == b.pixels(), c.passes) << c.sx;
  }
}

TEST(ScaledBlit, NearestUpscale) {
  TightBitmap src(8, 6), dst(16, 12);
  Pattern(&src);
  LICE_ScaledBlit(&dst, &src, 0, 0, 16, 12, 0, 0, 8, 6, 1.0f, 0);
  for (int y = 0; y < 12; y++)
    for (int x = 0; x < 16; x++) ASSERT_EQ(dst.at(x, y), src.at(x / 2, y / 2)) << x << "," << y;
  // Destination clipping moves the first sample: dstx -5 at step 2 starts at srcx + 10.
  TightBitmap big(40, 4), out(10, 4);
  Pattern(&big);
  LICE_ScaledBlit(&out, &big, -5, 0, 20, 4, 0, 0, 40, 4, 1.0f, 0);
  for (int x = 0; x < 10; x++) EXPECT_EQ(out.at(x, 0), big.at(10 + 2 * x, 0));
}

TEST(ScaledBlit, Bilinear) {
  TightBitmap src(2, 2), dst(4, 4);
  src.at(0, 0) = 0xFF000000;
  src.at(1, 0) = 0xFF0000FF;
  src.at(0, 1) = 0xFF00FF00;
  src.at(1, 1) = 0xFFFF0000;
  LICE_ScaledBlit(&dst, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, 0x100);
  EXPECT_EQ(dst.at(0, 0), 0xFF000000u);
  EXPECT_EQ(dst.at(1, 0), 0xFF00007Fu); // halfway to blue
  EXPECT_EQ(dst.at(0, 1), 0xFF007F00u);
  EXPECT_EQ(dst.at(1, 1), 0xFF3F3F3Fu); // quarter of each corner
  EXPECT_EQ(dst.at(2, 2), 0xFFFF0000u); // last column and row take the pixel itself
  EXPECT_EQ(dst.at(3, 1), 0xFF7F007Fu); // last column: linear downward
}

TEST(ScaledBlit, Mirroring) {
  TightBitmap src(20, 5), dst(30, 5);
  Pattern(&src);
  // Samples run from the right edge leftward, each taking the pixel at or after it: the
  // destination column just left of dstx shows source column 1, and the leftmost column of
  // the 20 (whose sample is the right edge itself) is left alone.
  LICE_ScaledBlit(&dst, &src, 25, 0, -20, 5, 0, 0, 20, 5, 1.0f, 0);
  EXPECT_EQ(dst.at(5, 0), 0u);
  for (int k = 1; k < 20; k++) ASSERT_EQ(dst.at(5 + k, 2), src.at(20 - k, 2)) << k;
  for (int y = 0; y < 5; y++) EXPECT_EQ(dst.at(4, y), 0u);
  EXPECT_EQ(dst.at(25, 0), 0u);
  // Vertical mirroring likewise.
  TightBitmap tall(3, 10), out(3, 10);
  Pattern(&tall);
  LICE_ScaledBlit(&out, &tall, 0, 10, 3, -10, 0, 0, 3, 10, 1.0f, 0);
  for (int k = 1; k < 10; k++) EXPECT_EQ(out.at(1, k), tall.at(1, 10 - k));
}

TEST(ScaledBlit, MirroredSourceStartingOutside) {
  // A mirrored rectangle that begins left of and above the source reads only inside it
  // (exactly sized bitmaps: the sanitizer build catches a stray read).
  TestRng rng(4);
  for (int i = 0; i < 2000; i++) {
    TightBitmap src(rng.Int(1, 9), rng.Int(1, 9)), dst(rng.Int(1, 12), rng.Int(1, 12));
    Pattern(&src, i + 1);
    const int dw = rng.Int(-20, 20), dh = rng.Int(-20, 20);
    const float sx = rng.Float(-12, 12), sy = rng.Float(-12, 12);
    const float sw = rng.Float(-15, 15), sh = rng.Float(-15, 15);
    const int modes[] = {0, 0x100, 1, 0x10000, 0x10100, 3};
    LICE_ScaledBlit(&dst, &src, rng.Int(-10, 15), rng.Int(-10, 15), dw, dh, sx, sy, sw, sh,
                    rng.Float(0, 1.1f), modes[rng.Int(0, 5)]);
  }
  // Far-out and non-finite arguments.
  TightBitmap src(8, 8), dst(8, 8);
  Pattern(&src);
  LICE_ScaledBlit(&dst, &src, 0, 0, 8, 8, 1e30f, 0, 1e30f, 8, 1.0f, 0);
  LICE_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0, 0, 8e9f, 8, 1.0f, 0x100);
  LICE_ScaledBlit(&dst, &src, -2000000000, 0, 2000000000, 8, 0, 0, 3, 8, 1.0f, 0);
  EXPECT_EQ(dst.Count(), 0);
  LICE_ScaledBlit(&dst, &src, 0, 0, 7, 8, NAN, 0, 8, 8, 1.0f, 0);
  LICE_ScaledBlit(&dst, &src, 0, 0, 7, 8, 0, 0, INFINITY, 8, 1.0f, 0);
  EXPECT_EQ(dst.Count(), 0);
}

TEST(ScaledBlit, DownFilterKernel) {
  // Shrinking with the filter flag by 1.7 or more averages a box around each sample: 3 x 3
  // for steps up to 3, 5 x 5 beyond; by 1.5 it samples bilinearly.
  TightBitmap src(64, 64);
  Pattern(&src);
  auto box = [&](int cx, int cy, int n) {
    unsigned s[4] = {0, 0, 0, 0}, cnt = 0;
    for (int y = cy - n / 2; y <= cy + n / 2; y++)
      for (int x = cx - n / 2; x <= cx + n / 2; x++) {
        if (x < 0 || y < 0 || x >= 64 || y >= 64) continue;
        const LICE_pixel p = src.at(x, y);
        s[0] += LICE_GETB(p);
        s[1] += LICE_GETG(p);
        s[2] += LICE_GETR(p);
        s[3] += LICE_GETA(p);
        cnt++;
      }
    return LICE_RGBA(s[2] / cnt, s[1] / cnt, s[0] / cnt, s[3] / cnt);
  };
  struct Case {
    int dsize, kernel; // 0: bilinear
  };
  for (const Case& c : {Case{16, 5}, Case{32, 3}, Case{22, 3}, Case{20, 5}}) {
    TightBitmap dst(c.dsize, c.dsize);
    LICE_ScaledBlit(&dst, &src, 0, 0, c.dsize, c.dsize, 0, 0, 64, 64, 1.0f, 0x100);
    const long step = (long)std::floor(65536.0 * (64.0f / c.dsize));
    for (int y = 0; y < c.dsize; y += 3)
      for (int x = 0; x < c.dsize; x += 3)
        ASSERT_EQ(dst.at(x, y), box((int)((x * step) >> 16), (int)((y * step) >> 16), c.kernel))
            << c.dsize << " at " << x << "," << y;
  }
  // By 1.5: bilinear sampling, not the box.
  TightBitmap b15(42, 42), ref(42, 42);
  LICE_ScaledBlit(&b15, &src, 0, 0, 42, 42, 0, 0, 63, 63, 1.0f, 0x100);
  LICE_ScaledBlit(&ref, &src, 0, 0, 42, 42, 0, 0, 63, 63, 1.0f, 0);
  EXPECT_EQ(b15.at(0, 0), ref.at(0, 0)); // whole positions sample the pixel itself
  EXPECT_NE(b15.at(1, 1), ref.at(1, 1));
  EXPECT_NE(b15.at(1, 1), box(1, 1, 3));
}

TEST(ScaledBlit, WholeWordPathsMatchOperators) {
  // Copy at weight 256 (whole-word store) equals the source-alpha operator over opaque
  // pixels; at weight 128 (whole-word average) equals the half average per channel.
  TestRng rng(8);
  for (int i = 0; i < 300; i++) {
    TightBitmap src(rng.Int(1, 20), rng.Int(1, 20));
    Pattern(&src, i + 7);
    TightBitmap a(16, 16, false, 0xFF112233), b(16, 16, false, 0xFF112233);
    const int dx = rng.Int(-8, 12), dy = rng.Int(-8, 12), dw = rng.Int(-30, 30),
              dh = rng.Int(-30, 30);
    const float sx = rng.Float(-3, 10), sy = rng.Float(-3, 10), sw = rng.Float(1, 25),
                sh = rng.Float(1, 25);
    LICE_ScaledBlit(&a, &src, dx, dy, dw, dh, sx, sy, sw, sh, 1.0f, 0);
    LICE_ScaledBlit(&b, &src, dx, dy, dw, dh, sx, sy, sw, sh, 1.0f, 0x10000);
    ASSERT_EQ(a.pixels(), b.pixels()) << i;
  }
}

TEST(ScaledBlit, FlippedStorage) {
  TightBitmap src(6, 5), fsrc(6, 5, true), dst(12, 10), fdst(12, 10, true);
  Pattern(&src);
  for (int y = 0; y < 5; y++)
    for (int x = 0; x < 6; x++) fsrc.at(x, y) = src.at(x, y);
  LICE_ScaledBlit(&dst, &src, 0, 0, 12, 10, 0, 0, 6, 5, 1.0f, 0x100);
  LICE_ScaledBlit(&fdst, &fsrc, 0, 0, 12, 10, 0, 0, 6, 5, 1.0f, 0x100);
  for (int y = 0; y < 10; y++)
    for (int x = 0; x < 12; x++) ASSERT_EQ(dst.at(x, y), fdst.at(x, y));
}

} // namespace
