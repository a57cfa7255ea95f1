// Vector fast paths of the blit and fill loops. Each answers false when it does not apply
// (no SIMD on this machine, or arguments outside its range), and the caller then runs the
// plain per-pixel loop, which stays the reference for the results.
#pragma once

#include "WDL/lice/lice.h"

// Test tooling: false makes every operation take the plain loops.
extern bool LICE_fastpaths_enabled;

// Source-alpha copy at full weight. Spans in pixels, negative for bottom-up rows.
bool _LICE_BlitSourceAlphaFull(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
                               int dest_span);
// Stores color into every pixel of the rectangle.
bool _LICE_FillWords(LICE_pixel* dest, int w, int h, LICE_pixel color, int span);
// The copy operator with colour (r, g, b, ia) at weight ia, 0 < ia < 256.
bool _LICE_FillCopy(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span);
