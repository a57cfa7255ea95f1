// Gradients, coverage masks, blur, halving, scan-line fill and bitmap comparison.
// Same conventions as lice.h: pixels 0xAARRGGBB, mode the blend mode word (only its low
// byte, operators 0-5, counts here), alpha 1.0 = full strength, everything clipped.
#pragma once

#include "WDL/lice/lice.h"

// Colour and alpha at the top-left pixel (0..1 each) and their change per pixel to the right
// (d?dx) and per row downward (d?dy).
void LICE_GradRect(LICE_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                   float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                   float dgdy, float dbdy, float dady, int mode);

// 8-bit coverage mask of mask_h rows of mask_w bytes, rows mask_stride bytes apart (negative:
// stored bottom-up, the first row last), drawn in a colour with its top-left corner at (x, y).
void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                      const LICE_pixel_chan* alphas, int glyph_w, int glyph_span, int glyph_h,
                      float alpha, int mode);
void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                    const LICE_pixel_chan* alphas, int glyph_w, int glyph_h, float alpha, int mode);
// 1-bit mask: each row holds glyph_w bits, most significant bit first, starting on a byte
// boundary; glyph_span is the row distance in bytes.
void LICE_DrawMonoGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                        const unsigned char* bits, int glyph_w, int glyph_span, int glyph_h,
                        float alpha, int mode);

// Small blur of the source rectangle into dest at (dstx, dsty); dest may be src.
void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch);
// 2:1 box down-sampling of src into dest's top-left corner (rows in memory order).
void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src);
// Fills the horizontal runs through column x of the rows connected to (x, y) along that
// column: matching pixels (pixel & cmpmask equal to the start's) become
// (pixel & keepmask) | fillcolor. Rows in memory order.
void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_pixel fillcolor,
                     LICE_pixel cmpmask = 0xffffffff, LICE_pixel keepmask = 0);

// 0 when equal under mask; else the width or height difference, or a memory comparison's
// sign (mask 0xffffffff) or 1. diffs (may be null) receives x, y, w, h of the smallest
// rectangle holding every difference (all 0 when equal); then the result is 0 or 1.
int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* diffs = nullptr);
int LICE_BitmapCmpEx(LICE_IBitmap* a, LICE_IBitmap* b, LICE_pixel mask, int* diffs = nullptr);
