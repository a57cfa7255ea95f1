// Helpers shared by the line-drawing code: region codes, the integer clipper and the
// anti-aliasing weights.
#pragma once

// Region code of (x, y) against a W x H bitmap: 1 left, 2 right, 4 above, 8 below; 0 inside.
static inline int OffscreenTest(int x, int y, int W, int H) {
  return (x < 0 ? 1 : x >= W ? 2 : 0) | (y < 0 ? 4 : y >= H ? 8 : 0);
}

// Clips the segment in place to 0 <= x < W, 0 <= y < H. 1 when some of it is left, else 0.
int ClipLine(int* pX1, int* pY1, int* pX2, int* pY2, int W, int H);

// Weights of the two pixels straddling an anti-aliased line; err is the 16.16 fraction
// 0..65535 toward the second pixel.
static inline void GetAAPxWeightFAST(int err, int* wa, int* wb) {
  *wb = err >> 8;
  *wa = 255 - *wb;
}

static inline void GetAAPxWeight(int err, int alpha, int* wa, int* wb) {
  const int i = err >> 8;
  *wa = (alpha * (255 - i)) >> 8;
  *wb = (alpha * i) >> 8;
}
