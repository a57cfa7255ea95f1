#include "WDL/lice/lice.h"
#include "WDL/lice/lice_combine.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {
LICE_pixel Comb(LICE_pixel dest, int r, int g, int b, int a, int w, int mode, bool clamp = false) {
  (clamp ? LICE_CombinePixels2Clamp : LICE_CombinePixels2)(&dest, r, g, b, a, w, mode);
  return dest;
}
} // namespace

TEST(Combine, ExactResults) {
  struct Case {
    const char* what;
    LICE_pixel dest;
    int r, g, b, a, w, mode;
    LICE_pixel expect;
    bool clamp = false;
  } cases[] = {
      {"copy half of 255 over 0", 0x00000000, 255, 255, 255, 255, 128, 0, 0x80808080},
      {"copy half of 0 over 255", 0xFFFFFFFF, 0, 0, 0, 0, 128, 0, 0x7F7F7F7F},
      {"copy at full weight clobbers", 0x12345678, 1, 2, 3, 4, 256, 0, 0x04010203},
      {"copy at negative weight", 0x12345678, 1, 2, 3, 4, -5, 0, 0x12345678},
      {"add clamps", 0x10C86400, 255, 100, 100, 16, 256, 1, 0x20FFC864},
      {"add at a quarter", 0x00000000, 200, 100, 40, 0, 64, 1, 0x0032190A},
      {"dodge of 255 saturates", 0x00100001, 255, 255, 255, 255, 256, 2, 0x00FF00FF},
      {"dodge halfway", 0x00404040, 128, 128, 128, 0, 256, 2, 0x00808080},
      {"multiply 255 by 255", 0xFFFFFFFF, 255, 255, 255, 255, 256, 3, 0xFEFEFEFE},
      {"multiply by 0", 0xFFFFFFFF, 0, 0, 0, 0, 256, 3, 0x00000000},
      {"overlay with 0 squares", 0x00C80010, 0, 0, 0, 0, 256, 4, 0x009C0001},
      {"overlay keeps 255 under 255", 0xFFFFFFFF, 255, 255, 255, 255, 256, 4, 0xFFFFFFFF},
      {"hsv: half a turn of red", 0xFFFF0000, 0, 128, 128, 0x80, 256, 5, 0x8000FFFF},
      {"hsv: neutral keeps colour up to rounding", 0xFF336699, 128, 128, 128, 0x40, 256, 5,
       0x40336499},
      {"source alpha 0 leaves dest", 0x12345678, 255, 255, 255, 0, 256, 0x10000, 0x12345678},
      {"source alpha 255 stores", 0x12345678, 9, 8, 7, 255, 256, 0x10000, 0xFF090807},
      {"source alpha half", 0x00000000, 255, 255, 255, 128, 256, 0x10000, 0x80818181},
      {"source alpha at half weight", 0x00000000, 255, 255, 255, 255, 128, 0x10000, 0x80808080},
      {"source alpha add", 0x00101010, 255, 255, 255, 127, 256, 0x10001, 0x3F8F8F8F},
      {"source alpha mul at 0", 0x80808080, 0, 0, 0, 0, 256, 0x10003, 0x80808080},
      {"operator 6 draws nothing", 0x12345678, 1, 2, 3, 4, 256, 6, 0x12345678},
      // Weights above 256 push copy and multiply outside 0..255: the clamping forms clamp.
      {"copy over 255 clamped", 0, 300, 255, 0, 0, 256, 0, 0x00FFFF00, true},
      {"copy over 255 wraps", 0, 300, 255, 0, 0, 256, 0, 0x002CFF00},
      {"multiply below 0 clamped", 0x00FF0000, 0, 0, 0, 0, 512, 3, 0, true},
      {"multiply below 0 wraps", 0x00FF0000, 0, 0, 0, 0, 512, 3, 0x00010000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Comb(c.dest, c.r, c.g, c.b, c.a, c.w, c.mode, c.clamp), c.expect) << c.what;
}

TEST(Combine, RgbToHsv) {
  const int cases[][6] = {{255, 0, 0, 0, 255, 255},   {0, 255, 0, 128, 255, 255},
                          {0, 0, 255, 256, 255, 255}, {0, 0, 0, 256, 0, 0},
                          {77, 77, 77, 256, 0, 77},   {255, 0, 128, 351, 255, 255},
                          {255, 255, 0, 63, 255, 255}}; // r g b -> h s v
  for (auto& c : cases) {
    int h, s, v;
    __LICE_RGB2HSV(c[0], c[1], c[2], &h, &s, &v);
    EXPECT_EQ(h, c[3]) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_EQ(s, c[4]) << c[0] << "," << c[1] << "," << c[2];
    EXPECT_EQ(v, c[5]) << c[0] << "," << c[1] << "," << c[2];
  }
}

TEST(Combine, HsvAdjustNeverPacksFullAlphaAsZero) {
  EXPECT_EQ(LICE_GETA(Comb(0xFF808080, 128, 128, 128, 256, 256, LICE_BLIT_MODE_HSVADJ)), 255u);
}

TEST(Combine, SweepsStayInRangeAndKeepIdentities) {
  for (int w : {1, 64, 128, 200, 255, 256})
    for (int d = 0; d < 256; d++)
      for (int c = 0; c < 256; c++) {
        const LICE_pixel dp = LICE_RGBA(d, d, d, d), copy = Comb(dp, c, c, c, c, w, 0);
        ASSERT_GE((int)LICE_GETR(copy), std::min(c, d));
        ASSERT_LE((int)LICE_GETR(copy), std::max(c, d));
        LICE_pixel copyOp = dp;
        _LICE_CombinePixelsCopyNoClamp::doPix((LICE_pixel_chan*)&copyOp, c, c, c, c, w);
        // Copy at 256 equals clobber, through the public call and the operator.
        if (w == 256) {
          ASSERT_EQ(copy, LICE_RGBA(c, c, c, c)) << c << " " << d;
          ASSERT_EQ(copyOp, copy) << c << " " << d;
        }
        ASSERT_GE((int)LICE_GETG(Comb(dp, c, c, c, c, w, 1)), d);
        ASSERT_LE((int)LICE_GETG(Comb(dp, c, c, c, c, w, 3)), d);
        ASSERT_GE((int)LICE_GETB(Comb(dp, c, c, c, c, w, 2)), d);
        // Source alpha: the plain and clamped forms agree inside the range; alpha 0 keeps.
        ASSERT_EQ(Comb(dp, c, c, c, c, w, 0x10000), Comb(dp, c, c, c, c, w, 0x10000, true));
        ASSERT_EQ(Comb(dp, c, 9, 9, 0, w, 0x10000), dp);
      }
}

TEST(Combine, PublicCombineScalesItsAlpha) {
  EXPECT_EQ(LICE_CombinePixels(0x12345678, 0xFFFFFFFF, 0.003f, 0), 0x12345678u);
  EXPECT_EQ(LICE_CombinePixels(0x00000000, 0xFFFFFFFF, 0.5f, 0), 0x80808080u);
  EXPECT_EQ(LICE_CombinePixels(0x00000000, 0x80FFFFFF, 1.0f, LICE_BLIT_USE_ALPHA), 0x80818181u);
}
