// Vector fast paths of the blit, fill and scaling loops. Each answers false when it does not
// apply (fast paths off, or arguments outside its range), and the caller then runs the plain
// per-pixel loop, which stays the reference for the results. The instruction set is chosen
// once from the processor (AVX2 where it has it, else SSE2); tests can lower it.
#pragma once

#include "WDL/lice/lice.h"

#include <cstdint>

// Test tooling: false makes every operation take the plain loops.
extern bool LICE_fastpaths_enabled;

// Instruction set levels of the vector paths.
enum { LICE_SIMD_NONE = 0, LICE_SIMD_SSE2 = 1, LICE_SIMD_AVX2 = 2 };
// The level in use and the highest this processor runs.
int LICE_GetSimdLevel();
int LICE_GetSimdLevelSupported();
// Test tooling: uses level (LICE_SIMD_NONE: plain loops only); false, changing nothing, when
// the processor cannot run it. Not thread-safe: set it before drawing.
bool LICE_SetSimdLevel(int level);

// Source-alpha copy at full weight. Spans in pixels, negative for bottom-up rows.
bool _LICE_BlitSourceAlphaFull(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
                               int dest_span);
// Stores color into every pixel of the rectangle.
bool _LICE_FillWords(LICE_pixel* dest, int w, int h, LICE_pixel color, int span);
// The copy operator with colour (r, g, b, ia) at weight ia, 0 < ia < 256.
bool _LICE_FillCopy(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span);
// Coverage mask (rows mask_span bytes apart) drawn with the copy operator in colour
// (r, g, b, 255): each non-zero byte v weighs v + 1 when a is 256, else v x a / 256.
// Spans of dest in pixels, negative for bottom-up rows; 0 < a <= 256.
bool _LICE_GlyphCopy(const unsigned char* mask, int mask_span, LICE_pixel* dest, int dest_span,
                     int w, int h, int r, int g, int b, int a);
// n bilinear samples of a source row pair into out: sample k lies at 16.16 position
// curx + k x idx from src (its fraction the weight of the right neighbour), fy the weight of
// the row below (sspan pixels on). Every sample and its right and lower neighbours lie in
// the source.
bool _LICE_BilinearRow(LICE_pixel* out, const LICE_pixel* src, int sspan, int n, int64_t curx,
                       int64_t idx, unsigned int fy);
// n 3 x 3 box averages into out: sample k is centred on column (curx + k x idx) >> 16 of the
// row sspan pixels below top (0 < idx < 0x30001); every kernel lies in the source.
bool _LICE_Box3Row(LICE_pixel* out, const LICE_pixel* top, int sspan, int n, int64_t curx,
                   int64_t idx);
