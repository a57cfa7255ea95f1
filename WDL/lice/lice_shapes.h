// Shapes and transformed blits of the raster library: circles and arcs, convex polygons,
// triangles and trapezoids, scaled, rotated and grid-transformed blits, float and dashed
// lines, and Bezier curves.
//
// Coordinates are pixels, y downwards, in the caller's top-down view of the bitmap unless a
// function says otherwise. Colours are 0xAARRGGBB words; alpha is a float weight (1.0 full);
// mode is the blend mode word of lice.h. A null bitmap, a bitmap without pixels, a zero
// weight or an operator above 5 draws nothing. Non-finite coordinates, radii, angles, scales
// and tolerances are refused (nothing is drawn). Everything runs on the caller's thread and
// keeps no state; a bitmap is used by one thread at a time.
#pragma once

#include "WDL/lice/lice.h"

#include <cstddef>
#include <cstdint>

// --- Circles and arcs. Angles are radians; 0 points up (smaller y) and angles grow
// clockwise, so the point at angle a is (cx + r sin a, cy - r cos a).
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha,
                 int mode, bool aa);
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, unsigned int color,
                     float alpha, int mode, bool aa);
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              unsigned int color, float alpha, int mode, bool aa);
// Outline with quarter-circle corners; the outline covers columns x..x+w and rows y..y+h.
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    unsigned int color, float alpha, int mode, bool aa);

// --- Convex fills. Spans include both end columns, trapezoids both end rows.
// Rows y1..y2 in memory order (row 0 is the first row of the buffer even on a flipped
// bitmap); row y1 spans x1a..x1b, row y2 spans x2a..x2b, the rows between follow the edges.
void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        unsigned int color, float alpha, int mode);
// Vertices (x[i], y[i]) in any order; npoints below 3 draws nothing. Every covered pixel
// is combined exactly once.
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints,
                            unsigned int color, float alpha, int mode);
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       unsigned int color, float alpha, int mode);

// --- Scaled blit: the source rectangle (float source pixels) stretched into the
// destination rectangle; a negative dstw or dsth mirrors that axis into the |dstw| columns
// left of dstx (rows above dsty). 0x100 in mode samples bilinearly; shrinking by 1.7 or more
// on both axes with it averages a 3 x 3 or 5 x 5 box instead.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode);

// --- Rotated and transformed blits. s is the source x, t the source y, in source pixels.
// Turns the source rectangle by angle (radians) about its centre plus (centre_dx, centre_dy)
// into the destination rectangle. clip_to_source limits samples to the source rectangle.
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool clip_to_source, float alpha, int mode, float centre_dx = 0.0f,
                      float centre_dy = 0.0f);
// Steps per destination pixel (dsdx, dtdx), per row (dsdy, dtdy) and the change of the
// per-pixel steps per row (dsdxdy, dtdxdy).
void LICE_DeltaBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool clip_to_source,
                    float alpha, int mode);
// As LICE_DeltaBlit with the weight stepped too: alpha at the first pixel, dadx per pixel,
// dady per row, dadxdy the change of dadx per row.
void LICE_DeltaBlitAlpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, float srcx, float srcy, float srcw, float srch, double dsdx,
                         double dtdx, double dsdy, double dtdy, double dsdxdy, double dtdxdy,
                         bool clip_to_source, float alpha, int mode, double dadx, double dady,
                         double dadxdy);
// points: grid_rows rows of grid_cols source points (x, y), row by row; the grid's corners
// map to the destination rectangle's corners.
void LICE_TransformBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const float* points, int grid_cols, int grid_rows, float alpha,
                        int mode);
void LICE_TransformBlit2(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, const double* points, int grid_cols, int grid_rows, float alpha,
                         int mode);
// points carry (x, y, alpha) each.
void LICE_TransformBlit2Alpha(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw,
                              int dsth, const double* points, int grid_cols, int grid_rows,
                              int mode);

// --- Float and dashed lines.
// With aa the line is placed with sub-pixel precision over the whole major-axis positions
// from ceil(start) to floor(end); without it, LICE_Line of the truncated coordinates.
void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, unsigned int color,
                float alpha, int mode, bool aa);
// Clips in place to xlo <= x < xhi - 1, ylo <= y < yhi - 1; true when something is left.
bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                    float yhi);
// Horizontal or vertical lines only, as pxon pixels on and pxoff off, starting with a dash at
// the first point; the far end is not drawn. Rows count in memory order (flipping ignored).
// aa is accepted and not used.
void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                     unsigned int color, float alpha, int mode, bool aa = false);
// Stores the colour word in rows y1, y1 + 2, ... below y2 of column x (memory rows).
void LICE_DottedVertLineFAST(LICE_IBitmap* dest, int x, int y1, int y2, unsigned int color);

// --- Bezier curves. tol is the wanted segment length in pixels (0 or less means 1).
void LICE_DrawQBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, unsigned int color, float alpha, int mode, bool aa,
                      float tol = 0.0f);
void LICE_DrawCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, unsigned int color,
                      float alpha, int mode, bool aa, float tol = 0.0f);
// Fills between the curve and the row yfill (the column xfill).
void LICE_FillCBezier(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill,
                      unsigned int color, float alpha, int mode, float tol = 0.0f);
void LICE_FillCBezierX(LICE_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       unsigned int color, float alpha, int mode, float tol = 0.0f);
// Curve arithmetic; control coordinates are passed x values first, then y values.
// The quadratic's point at t.
void LICE_Bezier(double x1, double x2, double x3, double y1, double y2, double y3, double t,
                 float* x, float* y);
// y (and t, when given) where a quadratic whose x runs from x1 to x3 reaches x.
double LICE_Bezier_GetY(double x1, double x2, double x3, double y1, double y2, double y3, float x,
                        double* t = nullptr);
void LICE_CBezier_GetCoeffs(double x1, double x2, double x3, double x4, double y1, double y2,
                            double y3, double y4, double* ax, double* bx, double* cx, double* ay,
                            double* by, double* cy);
// y where a cubic whose x grows with t reaches x, by bisection; the outputs (each optional)
// are the bracket's upper x, the slope inside it and its t range.
double LICE_CBezier_GetY(double x1, double x2, double x3, double x4, double y1, double y2,
                         double y3, double y4, float x, float* nextx = nullptr,
                         float* dydx = nullptr, double* tlo = nullptr, double* thi = nullptr);

// --- Shared by the scaled and the rotated blits (not for callers).
// Cuts a destination rectangle whose start is not negative to the bitmap; false when
// nothing of it is left.
inline bool __LICE_FitToBitmap(LICE_IBitmap* dest, int64_t x, int64_t y, int64_t* w, int64_t* h) {
  const int W = dest->getWidth(), H = dest->getHeight();
  if (*w < 1 || *h < 1 || x >= W || y >= H) return false;
  if (*w > W - x) *w = W - x;
  if (*h > H - y) *h = H - y;
  return true;
}

// A negative destination length on one axis: made positive, the start moved back by it and
// the source span turned around, so that the source is drawn mirrored on that axis.
template <class F> inline void __LICE_MirrorAxis(int64_t* pos, int64_t* len, F* spos, F* slen) {
  if (*len >= 0) return;
  *len = -*len;
  *pos -= *len;
  *spos += *slen;
  *slen = -*slen;
}

// Pixel (x, y) of a bitmap in its top-down view (x, y inside it), and in *step the row step
// in pixels that moves one row down: negative on flipped (bottom-up) storage.
inline LICE_pixel* __LICE_PixelAt(LICE_pixel* bits, int span, int height, bool flipped, int64_t x,
                                  int64_t y, int* step) {
  *step = flipped ? -span : span;
  return bits + (ptrdiff_t)(flipped ? height - 1 - y : y) * span + x;
}

// Bilinear mix of p[0], p[1] (right), pnext[0] (below), pnext[1]; fx, fy are 16-bit
// fractions of a pixel.
inline void __LICE_BilinearFilterI(int* r, int* g, int* b, int* a, const LICE_pixel* p,
                                   const LICE_pixel* pnext, unsigned int fx, unsigned int fy) {
  const unsigned int f11 = (fx * fy) >> 16, f10 = fx - f11, f01 = fy - f11;
  const unsigned int f00 = 0x10000 - fx - fy + f11;
  const LICE_pixel p00 = p[0], p10 = p[1], p01 = pnext[0], p11 = pnext[1];
  *r = (int)((LICE_GETR(p00) * f00 + LICE_GETR(p10) * f10 + LICE_GETR(p01) * f01 +
              LICE_GETR(p11) * f11) >>
             16);
  *g = (int)((LICE_GETG(p00) * f00 + LICE_GETG(p10) * f10 + LICE_GETG(p01) * f01 +
              LICE_GETG(p11) * f11) >>
             16);
  *b = (int)((LICE_GETB(p00) * f00 + LICE_GETB(p10) * f10 + LICE_GETB(p01) * f01 +
              LICE_GETB(p11) * f11) >>
             16);
  *a = (int)((LICE_GETA(p00) * f00 + LICE_GETA(p10) * f10 + LICE_GETA(p01) * f01 +
              LICE_GETA(p11) * f11) >>
             16);
}
// Linear mix of *p and *pnext by the 16-bit fraction f.
inline void __LICE_LinearFilterI(int* r, int* g, int* b, int* a, const LICE_pixel* p,
                                 const LICE_pixel* pnext, unsigned int f) {
  const unsigned int nf = 0x10000 - f;
  const LICE_pixel p0 = *p, p1 = *pnext;
  *r = (int)((LICE_GETR(p0) * nf + LICE_GETR(p1) * f) >> 16);
  *g = (int)((LICE_GETG(p0) * nf + LICE_GETG(p1) * f) >> 16);
  *b = (int)((LICE_GETB(p0) * nf + LICE_GETB(p1) * f) >> 16);
  *a = (int)((LICE_GETA(p0) * nf + LICE_GETA(p1) * f) >> 16);
}

// The bilinear sample at p (16-bit fractions fx, fy; sspan the source row step) in a window
// whose last row and column have no neighbour beyond them: there it mixes linearly along the
// other axis, and in the last pixel takes the pixel itself.
inline void __LICE_SampleBilinear(int* r, int* g, int* b, int* a, const LICE_pixel* p, int sspan,
                                  bool lastrow, bool lastcol, unsigned int fx, unsigned int fy) {
  if (!lastrow) {
    if (!lastcol)
      __LICE_BilinearFilterI(r, g, b, a, p, p + sspan, fx, fy);
    else
      __LICE_LinearFilterI(r, g, b, a, p, p + sspan, fy);
  } else if (!lastcol) {
    __LICE_LinearFilterI(r, g, b, a, p, p + 1, fx);
  } else {
    *r = LICE_GETR(*p);
    *g = LICE_GETG(*p);
    *b = LICE_GETB(*p);
    *a = LICE_GETA(*p);
  }
}
