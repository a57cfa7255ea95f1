#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ScaledBlit, PassThroughAtWholeSteps) {
  TestBitmap src(16, 12);
  src.Randomize(1, 0xFF000000);
  struct Case {
    float sx, sy;
    int mode;
    bool passes; // equals LICE_Blit from the rounded position
  };
  const Case cases[] = {{3.0f, 4.0f, 0, true},       {3.02f, 4.0f, 0x100, true},
                        {3.05f, 4.0f, 0x100, false}, {3.4f, 4.4f, 0, true},
                        {-2.0f, 1.0f, 0, true},      {2.6f, 1.0f, 1, true}};
  for (const Case& c : cases) {
    TestBitmap a(12, 10, false, 0, 0xFF203040), b(12, 10, false, 0, 0xFF203040);
    LICE_ScaledBlit(&a, &src, 1, 2, 10, 7, c.sx, c.sy, 10.0f, 7.0f, 0.8f, c.mode);
    LICE_Blit(&b, &src, 1, 2, (int)(c.sx + 0.5f), (int)(c.sy + 0.5f), 10, 7, 0.8f, c.mode);
    EXPECT_EQ(a.raw() == b.raw(), c.passes) << c.sx;
  }
}

TEST(ScaledBlit, NearestBilinearAndFlippedStorage) {
  TestBitmap src(8, 6), dst(16, 12);
  src.Randomize(1, 0xFF000000);
  LICE_ScaledBlit(&dst, &src, 0, 0, 16, 12, 0, 0, 8, 6, 1.0f, 0);
  for (int y = 0; y < 12; y++)
    for (int x = 0; x < 16; x++) ASSERT_EQ(dst.at(x, y), src.at(x / 2, y / 2)) << x << "," << y;
  // Destination clipping moves the first sample: dstx -5 at step 2 starts at srcx + 10.
  TestBitmap big(40, 4), out(10, 4);
  big.Randomize(1, 0xFF000000);
  LICE_ScaledBlit(&out, &big, -5, 0, 20, 4, 0, 0, 40, 4, 1.0f, 0);
  for (int x = 0; x < 10; x++) EXPECT_EQ(out.at(x, 0), big.at(10 + 2 * x, 0));

  TestBitmap quad(2, 2), bl(4, 4);
  quad.raw() = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
  LICE_ScaledBlit(&bl, &quad, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, 0x100);
  const LICE_pixel want[4][2] = {{0xFF000000, 0xFF00007F}, {0xFF007F00, 0xFF3F3F3F}};
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 2; x++) EXPECT_EQ(bl.at(x, y), want[y][x]) << x << "," << y;
  EXPECT_EQ(bl.at(2, 2), 0xFFFF0000u); // the last column and row take the pixel itself
  EXPECT_EQ(bl.at(3, 1), 0xFF7F007Fu); // the last column mixes downward

  // The same source stored bottom-up draws the same.
  TestBitmap fsrc(8, 6, true), fdst(16, 12, true), ref(16, 12);
  for (int i = 0; i < 48; i++) fsrc.at(i % 8, i / 8) = src.at(i % 8, i / 8);
  LICE_ScaledBlit(&ref, &src, 0, 0, 16, 12, 0, 0, 8, 6, 1.0f, 0x100);
  LICE_ScaledBlit(&fdst, &fsrc, 0, 0, 16, 12, 0, 0, 8, 6, 1.0f, 0x100);
  for (int i = 0; i < 16 * 12; i++) ASSERT_EQ(ref.at(i % 16, i / 16), fdst.at(i % 16, i / 16));
}

TEST(ScaledBlit, Mirroring) {
  // Samples run from the right edge leftward, each taking the pixel at or after it: the
  // column just left of dstx shows source column 1, and the leftmost of the 20 (whose sample
  // is the right edge itself) is left alone.
  TestBitmap src(20, 5), dst(30, 5);
  src.Randomize(1, 0xFF000000);
  LICE_ScaledBlit(&dst, &src, 25, 0, -20, 5, 0, 0, 20, 5, 1.0f, 0);
  for (int k = 1; k < 20; k++) ASSERT_EQ(dst.at(5 + k, 2), src.at(20 - k, 2)) << k;
  EXPECT_EQ(dst.Count(), 19 * 5);
  TestBitmap tall(3, 10), out(3, 10);
  tall.Randomize(1, 0xFF000000);
  LICE_ScaledBlit(&out, &tall, 0, 10, 3, -10, 0, 0, 3, 10, 1.0f, 0);
  for (int k = 1; k < 10; k++) EXPECT_EQ(out.at(1, k), tall.at(1, 10 - k));

  // A mirrored rectangle that begins left of and above the source reads only inside it
  // (exactly sized bitmaps: the sanitizer build catches a stray read).
  TestRng rng(4);
  const int modes[] = {0, 0x100, 1, 0x10000, 0x10100, 3};
  for (int i = 0; i < 2000; i++) {
    TestBitmap s(rng.Int(1, 9), rng.Int(1, 9)), d(rng.Int(1, 12), rng.Int(1, 12));
    s.Randomize(i + 1, 0xFF000000);
    LICE_ScaledBlit(&d, &s, rng.Int(-10, 15), rng.Int(-10, 15), rng.Int(-20, 20), rng.Int(-20, 20),
                    rng.Float(-12, 12), rng.Float(-12, 12), rng.Float(-15, 15), rng.Float(-15, 15),
                    rng.Float(0, 1.1f), modes[rng.Int(0, 5)]);
  }
  // Far-out and non-finite arguments.
  TestBitmap s8(8, 8), d8(8, 8);
  s8.Randomize(1, 0xFF000000);
  LICE_ScaledBlit(&d8, &s8, 0, 0, 8, 8, 1e30f, 0, 1e30f, 8, 1.0f, 0);
  LICE_ScaledBlit(&d8, &s8, 0, 0, 8, 8, 0, 0, 8e9f, 8, 1.0f, 0x100);
  LICE_ScaledBlit(&d8, &s8, -2000000000, 0, 2000000000, 8, 0, 0, 3, 8, 1.0f, 0);
  LICE_ScaledBlit(&d8, &s8, 0, 0, 7, 8, NAN, 0, 8, 8, 1.0f, 0);
  LICE_ScaledBlit(&d8, &s8, 0, 0, 7, 8, 0, 0, INFINITY, 8, 1.0f, 0);
  EXPECT_EQ(d8.Count(), 0);
}

TEST(ScaledBlit, DownFilterKernel) {
  // Shrinking with the filter flag by 1.7 or more averages a box around each sample: 3 x 3
  // for steps up to 3, 5 x 5 beyond; by 1.5 it samples bilinearly.
  TestBitmap src(64, 64);
  src.Randomize(1, 0xFF000000);
  auto box = [&](int cx, int cy, int n) {
    unsigned s[4] = {0, 0, 0, 0}, cnt = 0;
    for (int y = std::max(0, cy - n / 2); y <= std::min(63, cy + n / 2); y++)
      for (int x = std::max(0, cx - n / 2); x <= std::min(63, cx + n / 2); x++, cnt++)
        for (int c = 0; c < 4; c++) s[c] += (src.at(x, y) >> (8 * c)) & 0xFF;
    return (LICE_pixel)(s[0] / cnt | (s[1] / cnt) << 8 | (s[2] / cnt) << 16 | (s[3] / cnt) << 24);
  };
  for (auto c : {std::make_pair(16, 5), {32, 3}, {22, 3}, {20, 5}}) {
    TestBitmap dst(c.first, c.first);
    LICE_ScaledBlit(&dst, &src, 0, 0, c.first, c.first, 0, 0, 64, 64, 1.0f, 0x100);
    const long step = (long)std::floor(65536.0 * (64.0f / c.first));
    for (int y = 0; y < c.first; y += 3)
      for (int x = 0; x < c.first; x += 3)
        ASSERT_EQ(dst.at(x, y), box((int)((x * step) >> 16), (int)((y * step) >> 16), c.second))
            << c.first << " at " << x << "," << y;
  }
  TestBitmap b15(42, 42), ref(42, 42);
  LICE_ScaledBlit(&b15, &src, 0, 0, 42, 42, 0, 0, 63, 63, 1.0f, 0x100);
  LICE_ScaledBlit(&ref, &src, 0, 0, 42, 42, 0, 0, 63, 63, 1.0f, 0);
  EXPECT_EQ(b15.at(0, 0), ref.at(0, 0)); // whole positions sample the pixel itself
  EXPECT_NE(b15.at(1, 1), ref.at(1, 1));
  EXPECT_NE(b15.at(1, 1), box(1, 1, 3));
}

TEST(ScaledBlit, WholeWordCopyMatchesTheOperator) {
  // Copy at weight 256 (whole-word store) equals the source-alpha copy of opaque pixels.
  TestRng rng(8);
  for (int i = 0; i < 300; i++) {
    TestBitmap src(rng.Int(1, 20), rng.Int(1, 20));
    src.Randomize(i + 7, 0xFF000000);
    TestBitmap a(16, 16, false, 0, 0xFF112233), b(16, 16, false, 0, 0xFF112233);
    const int d[4] = {rng.Int(-8, 12), rng.Int(-8, 12), rng.Int(-30, 30), rng.Int(-30, 30)};
    const float sr[4] = {rng.Float(-3, 10), rng.Float(-3, 10), rng.Float(1, 25), rng.Float(1, 25)};
    for (int mode : {0, 0x10000})
      LICE_ScaledBlit(mode ? &b : &a, &src, d[0], d[1], d[2], d[3], sr[0], sr[1], sr[2], sr[3],
                      1.0f, mode);
    ASSERT_EQ(a.raw(), b.raw()) << i;
  }
}

} // namespace
