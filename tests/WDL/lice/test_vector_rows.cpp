// The row-wise vector forms of the bilinear scaled blit, the 3 x 3 box down-filter and the
// one-row line, against the plain loops, on images wide enough for the runs, the chunking and
// the short tails of the vector loops.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every operator with and without source alpha, all with the filter flag.
const int kModes[] = {0x100,   0x101,   0x102,   0x103,   0x104,   0x105,   0x106,
                      0x10100, 0x10101, 0x10102, 0x10103, 0x10104, 0x10105, 0x10106};
const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.4f, 0.003f, 1.5f, -0.3f};

// Sources with clear, opaque and translucent pixels.
void Fill(TestBitmap& b, uint32_t seed) {
  b.Randomize(seed);
  for (auto& p : b.raw()) {
    if (p % 3 == 0) p |= 0xFF000000;
    if (p % 3 == 1) p &= 0x00FFFFFF;
  }
}

// Runs draw(dest) with the plain loops and then at every vector level; each picture must
// equal the plain one.
template <class DRAW>
void SameAtEveryLevel(const TestBitmap& start, DRAW draw, const std::string& what) {
  TestBitmap plain = start;
  LICE_fastpaths_enabled = false;
  draw(plain);
  LICE_fastpaths_enabled = true;
  const int top = LICE_GetSimdLevelSupported();
  for (int level = LICE_SIMD_NONE; level <= top; level++) {
    ASSERT_TRUE(LICE_SetSimdLevel(level));
    TestBitmap got = start;
    draw(got);
    ASSERT_EQ(got.raw(), plain.raw()) << what << " level " << level;
  }
  LICE_SetSimdLevel(top);
}

struct Scale {
  int dx, dy, dw, dh;
  float sx, sy, sw, sh;
};

void SweepScales(const std::vector<Scale>& scales, int srcw, int srch, const char* what) {
  TestBitmap src(srcw, srch), flipped(srcw, srch, true);
  Fill(src, 3);
  Fill(flipped, 4);
  TestBitmap dest(310, 44, false, 313);
  Fill(dest, 5);
  for (size_t i = 0; i < scales.size(); i++)
    for (int mode : kModes)
      for (float alpha : kAlphas) {
        const Scale& s = scales[i];
        SameAtEveryLevel(
            dest,
            [&](TestBitmap& d) {
              LICE_ScaledBlit(&d, i % 2 ? &flipped : &src, s.dx, s.dy, s.dw, s.dh, s.sx, s.sy, s.sw,
                              s.sh, alpha, mode);
            },
            std::string(what) + " case " + std::to_string(i) + " mode " + std::to_string(mode) +
                " alpha " + std::to_string(alpha));
      }
}

TEST(VectorRows, BilinearMatchesThePlainLoop) {
  // 2x up whole and clipped on every side, odd scales, fractional starts, mirrored either way.
  SweepScales({{0, 0, 300, 40, 0, 0, 150, 20},
               {-7, -3, 320, 50, 0, 0, 160, 25},
               {3, 2, 301, 39, 0.37f, 0.81f, 97.3f, 13.1f},
               {0, 0, 310, 44, 5.5f, 2.25f, 140, 30},
               {305, 0, -300, 40, 0, 0, 150, 20},
               {0, 43, 300, -40, 0, 0, 150, 20},
               {0, 0, 300, 40, 150, 20, -150, -20},
               {10, 1, 200, 41, 140.9f, 0.5f, -71, 15},
               {-2, -2, 314, 48, -4.5f, -1.5f, 166, 25},
               {0, 0, 290, 44, 1, 1, 250, 22}},
              166, 33, "bilinear");
}

TEST(VectorRows, BoxDownFilterMatchesThePlainLoop) {
  // 1/2 down, steps up to 3 (the 3 x 3 kernel, with runs past one vector chunk), the kernel at
  // the source's edges, clipped and offset destinations.
  SweepScales({{0, 0, 300, 40, 0, 0, 600, 80},
               {-9, -4, 320, 50, 0, 0, 640, 100},
               {2, 1, 305, 43, 1.3f, 0.7f, 915, 86},
               {0, 0, 310, 44, 3, 3, 550, 79},
               {0, 0, 280, 30, 7.9f, 2.2f, 560, 90},
               {0, 0, 320, 41, 330, 60, 640, 82}}, // the last samples on the last column and row
              930, 101, "box");
}

TEST(VectorRows, ABitmapScaledOntoItselfMatchesThePlainLoop) {
  // The plain loops read pixels that they have already written: the vector rows stand aside.
  TestBitmap start(300, 60);
  Fill(start, 9);
  const Scale scales[] = {{0, 0, 300, 60, 10, 5, 150, 30}, {0, 0, 150, 30, 0, 0, 300, 60}};
  for (const Scale& s : scales)
    for (int mode : {0x100, 0x103})
      SameAtEveryLevel(
          start,
          [&](TestBitmap& d) {
            LICE_ScaledBlit(&d, &d, s.dx, s.dy, s.dw, s.dh, s.sx, s.sy, s.sw, s.sh, 1.0f, mode);
          },
          "onto itself mode " + std::to_string(mode));
}

TEST(VectorRows, RowLinesMatchThePlainLoopAndClipToTheRow) {
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10003};
  for (bool flip : {false, true}) {
    TestBitmap dest(61, 9, flip, 64);
    Fill(dest, 7);
    for (int mode : modes)
      for (float alpha : kAlphas)
        SameAtEveryLevel(
            dest,
            [&](TestBitmap& d) {
              for (int y = 0; y < 9; y++)
                for (int x = 0; x < 17; x++)
                  LICE_Line(&d, x, y, x + (y * 7 + x * 5) % 61, y, 0xC0336699u + (uint32_t)x, alpha,
                            mode, x & 1);
            },
            "lines mode " + std::to_string(mode) + " alpha " + std::to_string(alpha));
  }
  // Far-out ends and rows: exactly the part of the row inside the bitmap is drawn.
  TestRng rng(11);
  const int far[] = {INT_MIN, INT_MIN + 1, -70, -1, 0, 1, 30, 60, 61, 62, INT_MAX - 1, INT_MAX};
  for (int i = 0; i < 3000; i++) {
    const bool flip = i & 1;
    TestBitmap d(61, 5, flip, 64);
    const int xa = far[rng.Int(0, 11)], xb = far[rng.Int(0, 11)];
    const int y = i % 4 ? rng.Int(-1, 5) : (i % 8 ? INT_MIN : INT_MAX);
    LICE_Line(&d, xa, y, xb, y, 0xFF00FF00, 1.0f, 0, false);
    const long lo = std::max(0L, (long)std::min(xa, xb)),
               hi = std::min(60L, (long)std::max(xa, xb));
    for (int yy = 0; yy < 5; yy++) {
      const Span s = d.Run(flip ? 4 - yy : yy);
      if (yy != y || lo > hi) {
        ASSERT_EQ(s.first, -1) << xa << " " << xb << " " << y;
        continue;
      }
      ASSERT_EQ(s.first, lo) << xa << " " << xb << " " << y;
      ASSERT_EQ(s.last, hi) << xa << " " << xb << " " << y;
      ASSERT_TRUE(s.solid);
    }
  }
}

} // namespace
