// Circles, discs, arcs and rounded rectangles: a midpoint (or square-root, when
// anti-aliased) circle clipped to a rectangle; an arc is the circle clipped to the bounding
// boxes of its quarter-turn pieces.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_glyph.h"

#include <algorithm>
#include <cmath>

namespace {

// Coordinates beyond this many pixels are refused: the integer arithmetic of the
// rasterisers stays far inside 32 bits.
const float kMaxCoord = 16777216.0f; // 2^24

bool Usable(float v) {
  return std::isfinite(v) && std::fabs(v) < kMaxCoord;
}

struct ClipRect {
  int l, t, r, b; // right and bottom exclusive
};

template <class COMBFUNC> class _LICE_CircleDrawer {
public:
  static void DrawClippedPt(LICE_IBitmap* dest, int x, int y, const ClipRect& c, int r, int g,
                            int b, int a, int ia, bool doclip) {
    if (doclip && (x < c.l || x >= c.r || y < c.t || y >= c.b)) return;
    LICE_pixel* px = dest->getBits() + (size_t)y * dest->getRowSpan() + x;
    COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, ia);
  }

  static void DrawClippedVertLine(LICE_IBitmap* dest, int x, int y1, int y2, const ClipRect& c,
                                  int r, int g, int b, int a, int ia, bool doclip) {
    if (doclip) {
      if (x < c.l || x >= c.r) return;
      if (y1 < c.t) y1 = c.t;
      if (y2 > c.b - 1) y2 = c.b - 1;
    }
    if (y1 > y2) return;
    const int span = dest->getRowSpan();
    LICE_pixel* px = dest->getBits() + (size_t)y1 * span + x;
    for (int n = y2 - y1 + 1; n > 0; n--, px += span)
      COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, ia);
  }

  static void DrawClippedHorzLine(LICE_IBitmap* dest, int y, int x1, int x2, const ClipRect& c,
                                  int r, int g, int b, int a, int ia, bool doclip) {
    if (doclip) {
      if (y < c.t || y >= c.b) return;
      if (x1 < c.l) x1 = c.l;
      if (x2 > c.r - 1) x2 = c.r - 1;
    }
    if (x1 > x2) return;
    LICE_pixel* px = dest->getBits() + (size_t)y * dest->getRowSpan() + x1;
    for (int n = x2 - x1 + 1; n > 0; n--, px++)
      COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, ia);
  }

  // The eight fill segments of one step: they never overlap, so each pixel is combined once.
  static void FillOctants(LICE_IBitmap* dest, int xc, int yc, int x, int y, const ClipRect& c,
                          int r, int g, int b, int a, int ia, bool doclip) {
    DrawClippedVertLine(dest, xc - x, yc - y, yc - x - 1, c, r, g, b, a, ia, doclip);
    DrawClippedVertLine(dest, xc - x, yc + x + 1, yc + y, c, r, g, b, a, ia, doclip);
    DrawClippedHorzLine(dest, yc - x, xc - y, xc - x, c, r, g, b, a, ia, doclip);
    DrawClippedHorzLine(dest, yc - x, xc + x, xc + y, c, r, g, b, a, ia, doclip);
    DrawClippedHorzLine(dest, yc + x, xc - y, xc - x, c, r, g, b, a, ia, doclip);
    DrawClippedHorzLine(dest, yc + x, xc + x, xc + y, c, r, g, b, a, ia, doclip);
    DrawClippedVertLine(dest, xc + x, yc - y, yc - x - 1, c, r, g, b, a, ia, doclip);
    DrawClippedVertLine(dest, xc + x, yc + x + 1, yc + y, c, r, g, b, a, ia, doclip);
  }

  static void DrawClippedCircle(LICE_IBitmap* dest, float cx, float cy, float rad,
                                const ClipRect& c, LICE_pixel color, int ia, bool filled,
                                bool doclip) {
    const int xc = (int)(cx + 0.5f), yc = (int)(cy + 0.5f);
    int y = (int)(rad + 0.5f);
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    if (filled) {
      DrawClippedVertLine(dest, xc, yc - y, yc - 1, c, r, g, b, a, ia, doclip);
      DrawClippedVertLine(dest, xc, yc + 1, yc + y, c, r, g, b, a, ia, doclip);
      DrawClippedHorzLine(dest, yc, xc - y, xc + y, c, r, g, b, a, ia, doclip);
    } else {
      DrawClippedPt(dest, xc, yc - y, c, r, g, b, a, ia, doclip);
      DrawClippedPt(dest, xc + y, yc, c, r, g, b, a, ia, doclip);
      DrawClippedPt(dest, xc, yc + y, c, r, g, b, a, ia, doclip);
      DrawClippedPt(dest, xc - y, yc, c, r, g, b, a, ia, doclip);
    }
    int x = 0, e = -y;
    for (;;) {
      x++;
      if (x >= y) break;
      if (e >= 0) {
        y--;
        e += 2 * (x - y) + 1;
      } else {
        e += 2 * x + 1;
      }
      if (filled) {
        FillOctants(dest, xc, yc, x, y, c, r, g, b, a, ia, doclip);
      } else {
        DrawClippedPt(dest, xc - x, yc - y, c, r, g, b, a, ia, doclip);
        DrawClippedPt(dest, xc - x, yc + y, c, r, g, b, a, ia, doclip);
        DrawClippedPt(dest, xc + x, yc - y, c, r, g, b, a, ia, doclip);
        DrawClippedPt(dest, xc + x, yc + y, c, r, g, b, a, ia, doclip);
        if (x != y) {
          DrawClippedPt(dest, xc - y, yc - x, c, r, g, b, a, ia, doclip);
          DrawClippedPt(dest, xc - y, yc + x, c, r, g, b, a, ia, doclip);
          DrawClippedPt(dest, xc + y, yc - x, c, r, g, b, a, ia, doclip);
          DrawClippedPt(dest, xc + y, yc + x, c, r, g, b, a, ia, doclip);
        }
      }
    }
  }

  static void DrawClippedCircleAA(LICE_IBitmap* dest, float cx, float cy, float rad,
                                  const ClipRect& c, LICE_pixel color, int ia, bool filled,
                                  bool doclip) {
    const int xc = (int)(cx + 0.5f), yc = (int)(cy + 0.5f);
    const int ri = (int)rad;
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    int w = (int)(ia * (rad - floorf(rad)));
    DrawClippedPt(dest, xc, yc - ri - 1, c, r, g, b, a, w, doclip);
    DrawClippedPt(dest, xc, yc + ri + 1, c, r, g, b, a, w, doclip);
    DrawClippedPt(dest, xc - ri - 1, yc, c, r, g, b, a, w, doclip);
    DrawClippedPt(dest, xc + ri + 1, yc, c, r, g, b, a, w, doclip);
    if (filled) {
      DrawClippedVertLine(dest, xc, yc - ri, yc - 1, c, r, g, b, a, ia, doclip);
      DrawClippedVertLine(dest, xc, yc + 1, yc + ri, c, r, g, b, a, ia, doclip);
      DrawClippedHorzLine(dest, yc, xc - ri, xc + ri, c, r, g, b, a, ia, doclip);
    } else {
      DrawClippedPt(dest, xc, yc - ri, c, r, g, b, a, ia - w, doclip);
      DrawClippedPt(dest, xc + ri, yc, c, r, g, b, a, ia - w, doclip);
      DrawClippedPt(dest, xc, yc + ri, c, r, g, b, a, ia - w, doclip);
      DrawClippedPt(dest, xc - ri, yc, c, r, g, b, a, ia - w, doclip);
    }
    const double r2 = (double)(rad * rad);
    for (int y = 1;; y++) {
      const double d = r2 - (double)y * y;
      if (d < 0.0) break; // past the rim (a radius below 1 ends here at once)
      const double xf = sqrt(d);
      const int xr = (int)(xf + 0.5);
      if (xr < y) break;
      const int xi = (int)xf;
      w = (int)(ia * (xf - floor(xf)));
      DrawClippedPt(dest, xc - y, yc - xi - 1, c, r, g, b, a, w, doclip);
      DrawClippedPt(dest, xc - y, yc + xi + 1, c, r, g, b, a, w, doclip);
      DrawClippedPt(dest, xc + y, yc - xi - 1, c, r, g, b, a, w, doclip);
      DrawClippedPt(dest, xc + y, yc + xi + 1, c, r, g, b, a, w, doclip);
      if (y != xr) {
        DrawClippedPt(dest, xc - xi - 1, yc - y, c, r, g, b, a, w, doclip);
        DrawClippedPt(dest, xc + xi + 1, yc - y, c, r, g, b, a, w, doclip);
        DrawClippedPt(dest, xc - xi - 1, yc + y, c, r, g, b, a, w, doclip);
        DrawClippedPt(dest, xc + xi + 1, yc + y, c, r, g, b, a, w, doclip);
      }
      if (filled) {
        FillOctants(dest, xc, yc, y, xi, c, r, g, b, a, ia, doclip);
      } else {
        // The rim mirrors the outer points above, so the outline is symmetric about both
        // axes (the diagonal step is drawn once).
        DrawClippedPt(dest, xc - y, yc - xi, c, r, g, b, a, ia - w, doclip);
        DrawClippedPt(dest, xc - y, yc + xi, c, r, g, b, a, ia - w, doclip);
        DrawClippedPt(dest, xc + y, yc - xi, c, r, g, b, a, ia - w, doclip);
        DrawClippedPt(dest, xc + y, yc + xi, c, r, g, b, a, ia - w, doclip);
        if (y != xr) {
          DrawClippedPt(dest, xc - xi, yc - y, c, r, g, b, a, ia - w, doclip);
          DrawClippedPt(dest, xc + xi, yc - y, c, r, g, b, a, ia - w, doclip);
          DrawClippedPt(dest, xc - xi, yc + y, c, r, g, b, a, ia - w, doclip);
          DrawClippedPt(dest, xc + xi, yc + y, c, r, g, b, a, ia - w, doclip);
        }
      }
    }
  }
};

void __DrawCircleClipped(LICE_IBitmap* dest, float cx, float cy, float rad, LICE_pixel color,
                         int ia, bool aa, bool filled, int mode, const ClipRect& clip,
                         bool doclip) {
  auto draw = [&](auto op) {
    typedef _LICE_CircleDrawer<decltype(op)> D;
    if (aa)
      D::DrawClippedCircleAA(dest, cx, cy, rad, clip, color, ia, filled, doclip);
    else
      D::DrawClippedCircle(dest, cx, cy, rad, clip, color, ia, filled, doclip);
  };
  // The anti-aliased rim takes weights below ia, so it never uses the full-weight forms.
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (aa)
    LICE_DispatchOperator<LICE_CopyRule::Copy>(op, ia, draw);
  else
    LICE_DispatchOperator<LICE_CopyRule::Mix>(op, ia, draw);
}

// Small circles come from fixed coverage masks, one plain and one anti-aliased per radius.
const unsigned char kMaskAA15[] = {0x4f, 0xff, 0xff, 0x4f, 0xff, 0x0f, 0x0f, 0xff,
                                   0xff, 0x0f, 0x0f, 0xff, 0x4f, 0xff, 0xff, 0x4f};
const unsigned char kMask15[] = {0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0x00, 0xff,
                                 0xff, 0x00, 0x00, 0xff, 0x00, 0xff, 0xff, 0x00};
const unsigned char kMaskAA20[] = {0x0f, 0xbf, 0xff, 0xbf, 0x0f, 0xbf, 0xd1, 0x4f, 0xd1,
                                   0xbf, 0xff, 0x4f, 0x00, 0x4f, 0xff, 0xbf, 0xd1, 0x4f,
                                   0xd1, 0xbf, 0x0f, 0xbf, 0xff, 0xbf, 0x0f};
const unsigned char kMask20[] = {0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff,
                                 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00,
                                 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00};
const unsigned char kMaskAA25[] = {0x0f, 0xbf, 0xff, 0xff, 0xbf, 0x0f, 0xbf, 0xd1, 0x4f,
                                   0x4f, 0xd1, 0xbf, 0xff, 0x4f, 0x00, 0x00, 0x4f, 0xff,
                                   0xff, 0x4f, 0x00, 0x00, 0x4f, 0xff, 0xbf, 0xd1, 0x4f,
                                   0x4f, 0xd1, 0xbf, 0x0f, 0xbf, 0xff, 0xff, 0xbf, 0x0f};
const unsigned char kMask25[] = {0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00,
                                 0x00, 0xff, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff,
                                 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00,
                                 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00};
const unsigned char kMaskAA30[] = {0x00, 0x8f, 0xff, 0xff, 0xff, 0x8f, 0x00, 0x8f, 0xff, 0x61,
                                   0x40, 0x61, 0xff, 0x8f, 0xff, 0x70, 0x00, 0x00, 0x00, 0x70,
                                   0xff, 0xff, 0x30, 0x00, 0x00, 0x00, 0x30, 0xff, 0xff, 0x70,
                                   0x00, 0x00, 0x00, 0x70, 0xff, 0x8f, 0xff, 0x61, 0x40, 0x61,
                                   0xff, 0x8f, 0x00, 0x8f, 0xff, 0xff, 0xff, 0x8f, 0x00};
const unsigned char kMask30[] = {0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00,
                                 0x00, 0x00, 0xff, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
                                 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00, 0x00, 0x00,
                                 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00};
const unsigned char kMaskAA35[] = {
    0x00, 0x4f, 0xde, 0xff, 0xff, 0xde, 0x4f, 0x00, 0x4f, 0xff, 0xb0, 0x40, 0x40, 0xb0, 0xff, 0x4f,
    0xde, 0xb0, 0x00, 0x00, 0x00, 0x00, 0xb0, 0xde, 0xff, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xff,
    0xff, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xff, 0xde, 0xb0, 0x00, 0x00, 0x00, 0x00, 0xb0, 0xde,
    0x4f, 0xff, 0xb0, 0x40, 0x40, 0xb0, 0xff, 0x4f, 0x00, 0x4f, 0xde, 0xff, 0xff, 0xde, 0x4f, 0x00};
const unsigned char kMask35[] = {
    0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00,
    0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff,
    0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff,
    0x00, 0xff, 0xff, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00};
const unsigned char kMaskAA40[] = {
    0x00, 0x1f, 0xb0, 0xff, 0xff, 0xff, 0xb0, 0x1f, 0x00, 0x1f, 0xf0, 0xd1, 0x4f, 0x40,
    0x4f, 0xd1, 0xf0, 0x1f, 0xb0, 0xd1, 0x0f, 0x00, 0x00, 0x00, 0x0f, 0xd1, 0xb0, 0xff,
    0x4f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4f, 0xff, 0xff, 0x30, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x30, 0xff, 0xff, 0x4f, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4f, 0xff, 0xb0, 0xd1,
    0x0f, 0x00, 0x00, 0x00, 0x0f, 0xd1, 0xb0, 0x1f, 0xf0, 0xd1, 0x4f, 0x40, 0x4f, 0xd1,
    0xf0, 0x1f, 0x00, 0x1f, 0xb0, 0xff, 0xff, 0xff, 0xb0, 0x1f, 0x00};
const unsigned char kMask40[] = {
    0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00,
    0x00, 0xff, 0xff, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff,
    0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00};

bool CachedCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                  int mode, bool aa) {
  struct Entry {
    float r;
    int size;
    const unsigned char *aamask, *mask;
  };
  static const Entry kTable[] = {{1.5f, 4, kMaskAA15, kMask15}, {2.0f, 5, kMaskAA20, kMask20},
                                 {2.5f, 6, kMaskAA25, kMask25}, {3.0f, 7, kMaskAA30, kMask30},
                                 {3.5f, 8, kMaskAA35, kMask35}, {4.0f, 9, kMaskAA40, kMask40}};
  for (const Entry& e : kTable) {
    if (r != e.r) continue;
    LICE_DrawGlyph(dest, (int)(cx - r), (int)(cy - r), color, aa ? e.aamask : e.mask, e.size,
                   e.size, alpha, mode);
    return true;
  }
  return false;
}

// The bounds test shared by the circle and the disc (truncated integers, as callers expect
// a figure within 2 pixels of an edge to be drawn clipped).
bool NearBitmap(int width, int height, float cx, float cy, float r) {
  return width > 0 && height > 0 && r >= 0 && (int)cx + (int)r >= -2 && (int)cy + (int)r >= -2 &&
         (int)cx - (int)r <= width + 2 && (int)cy - (int)r <= height + 2;
}

bool FullyInside(int width, int height, float cx, float cy, float r) {
  return cx - r - 2 >= 0 && cy - r - 2 >= 0 && cx + r + 2 < width && cy + r + 2 < height;
}

void __DrawArc(int width, int height, LICE_IBitmap* dest, float cx, float cy, float rad,
               double minAngle, double maxAngle, LICE_pixel color, int ia, bool aa, int mode) {
  const double twopi = 6.2831854820251465, halfpi = 1.5707963705062866;
  double a = minAngle + twopi;
  const double end = maxAngle + twopi;
  double next = a - fmod(a, halfpi);
  int x1 = (int)(cx + rad * sin(a) + 0.5), y1 = (int)(cy - rad * cos(a) + 0.5);
  // A span below a full turn makes at most five pieces; the bound only guards rounding.
  for (int pieces = 0; a < end && pieces < 8; pieces++) {
    next += halfpi;
    if (next > end) next = end;
    const int x2 = (int)(cx + rad * sin(next) + 0.5), y2 = (int)(cy - rad * cos(next) + 0.5);
    int xmin = std::min(x1, x2), xmax = std::max(x1, x2);
    int ymin = std::min(y1, y2), ymax = std::max(y1, y2);
    a = next;
    if ((float)xmax != cx) xmax++;
    if ((float)ymax != cy) ymax++;
    const ClipRect clip = {std::max(0, xmin), std::max(0, ymin), std::min(width, xmax + 1),
                           std::min(height, ymax + 1)};
    __DrawCircleClipped(dest, cx, cy, rad, color, ia, aa, false, mode, clip, true);
    x1 = x2;
    y1 = y2;
  }
}

} // namespace

void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                 int mode, bool aa) {
  if (!dest || !Usable(cx) || !Usable(cy) || !Usable(r) || !_LICE_AlphaUsable(alpha)) return;
  const int width = dest->getWidth(), height = dest->getHeight();
  if (!NearBitmap(width, height, cx, cy, r)) return;
  if (CachedCircle(dest, cx, cy, r, color, alpha, mode, aa)) return;
  if (!dest->getBits()) return;
  if (dest->isFlipped()) cy = (height - 1) - cy;
  const int ia = (int)(alpha * 256.0f);
  if (!ia) return;
  const ClipRect clip = {0, 0, width, height};
  __DrawCircleClipped(dest, cx, cy, r, color, ia, aa, false, mode, clip,
                      !FullyInside(width, height, cx, cy, r));
}

void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha,
                     int mode, bool aa) {
  if (!dest || !Usable(cx) || !Usable(cy) || !Usable(r) || !_LICE_AlphaUsable(alpha)) return;
  const int width = dest->getWidth(), height = dest->getHeight();
  if (dest->isFlipped()) cy = (height - 1) - cy;
  const int ia = (int)(alpha * 256.0f);
  if (!ia) return;
  if (!NearBitmap(width, height, cx, cy, r) || !dest->getBits()) return;
  const ClipRect clip = {0, 0, width, height};
  __DrawCircleClipped(dest, cx, cy, r, color, ia, aa, true, mode, clip,
                      !FullyInside(width, height, cx, cy, r));
}

void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
              LICE_pixel color, float alpha, int mode, bool aa) {
  if (!dest || !Usable(cx) || !Usable(cy) || !Usable(r) || !std::isfinite(minAngle) ||
      !std::isfinite(maxAngle) || !_LICE_AlphaUsable(alpha))
    return;
  const float pi = 3.14159265358979323846f, twopi = 2.0f * pi;
  const int width = dest->getWidth(), height = dest->getHeight();
  const float callercy = cy;
  if (dest->isFlipped()) {
    cy = (height - 1) - cy;
    minAngle = pi - minAngle;
    maxAngle = pi - maxAngle;
  }
  if (maxAngle < minAngle) std::swap(minAngle, maxAngle);
  if (maxAngle - minAngle >= twopi) {
    LICE_Circle(dest, cx, callercy, r, color, alpha, mode, aa);
    return;
  }
  if (maxAngle >= twopi) {
    const float m = fmodf(maxAngle, twopi);
    minAngle -= maxAngle - m;
    maxAngle = m;
  } else if (minAngle <= -twopi) {
    const float m = fmodf(minAngle, twopi);
    maxAngle -= minAngle - m;
    minAngle = m;
  }
  const int ia = (int)(alpha * 256.0f);
  if (!ia || !dest->getBits() || width < 1 || height < 1) return;
  __DrawArc(width, height, dest, cx, cy, r, minAngle, maxAngle, color, ia, aa, mode);
}

void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius,
                    LICE_pixel color, float alpha, int mode, bool aa) {
  if (!dest || !Usable(x) || !Usable(y) || !Usable(w) || !Usable(h) || !_LICE_AlphaUsable(alpha))
    return;
  if (cornerradius > 0) {
    float rr = std::min((float)cornerradius, std::min(w * 0.5f, h * 0.5f));
    rr = floorf(rr);
    if (rr >= 2.0f) {
      const float pi = 3.14159265358979323846f;
      LICE_Line(dest, (int)(x + rr), (int)y, (int)(x + w - rr), (int)y, color, alpha, mode, aa);
      LICE_Line(dest, (int)(x + rr - 1), (int)(y + h), (int)(x + w - rr), (int)(y + h), color,
                alpha, mode, aa);
      LICE_Line(dest, (int)(x + w), (int)(y + rr), (int)(x + w), (int)(y + h - rr), color, alpha,
                mode, aa);
      LICE_Line(dest, (int)x, (int)(y + rr - 1), (int)x, (int)(y + h - rr), color, alpha, mode, aa);
      LICE_Arc(dest, x + rr, y + rr, rr, -pi * 0.5f, 0.0f, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - rr, y + rr, rr, 0.0f, pi * 0.5f, color, alpha, mode, aa);
      LICE_Arc(dest, x + w - rr, y + h - rr, rr, pi * 0.5f, pi, color, alpha, mode, aa);
      LICE_Arc(dest, x + rr, y + h - rr, rr, pi, pi * 1.5f, color, alpha, mode, aa);
      return;
    }
  }
  LICE_DrawRect(dest, (int)x, (int)y, (int)w, (int)h, color, alpha, mode);
}
