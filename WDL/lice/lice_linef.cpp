// Float lines (sub-pixel placement when anti-aliased) and dashed axis-aligned lines.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

int OffscreenFTest(float x, float y, float xmax, float ymax) {
  return (x < 0 ? 1 : x >= xmax ? 2 : 0) | (y < 0 ? 4 : y >= ymax ? 8 : 0);
}

// Region-code clipping against a window one pixel smaller than the bitmap, so that the
// anti-aliased pair below a line's last row still lies inside.
int ClipFLine(float* x1, float* y1, float* x2, float* y2, int W, int H) {
  const float xmax = (float)(W - 1), ymax = (float)(H - 1);
  float ax = *x1, ay = *y1, bx = *x2, by = *y2;
  int c1 = OffscreenFTest(ax, ay, xmax, ymax), c2 = OffscreenFTest(bx, by, xmax, ymax);
  bool ok = false;
  for (int pass = 0; pass < 33; pass++) {
    if (!(c1 | c2)) {
      ok = true;
      break;
    }
    if (c1 & c2) break;
    const int c = c1 ? c1 : c2;
    float x, y;
    if (c & 8) {
      x = ax + (bx - ax) * (ymax - ay) / (by - ay);
      y = ymax - 1.0f;
    } else if (c & 4) {
      x = ax + (bx - ax) * ay / (ay - by);
      y = 0;
    } else if (c & 2) {
      y = ay + (by - ay) * (xmax - ax) / (bx - ax);
      x = xmax - 1.0f;
    } else {
      y = ay + (by - ay) * ax / (ax - bx);
      x = 0;
    }
    if (c == c1) {
      ax = x;
      ay = y;
      c1 = OffscreenFTest(ax, ay, xmax, ymax);
    } else {
      bx = x;
      by = y;
      c2 = OffscreenFTest(bx, by, xmax, ymax);
    }
  }
  *x1 = ax;
  *y1 = ay;
  *x2 = bx;
  *y2 = by;
  // Products of huge coordinates can overflow to a non-finite end: nothing is left then.
  return ok && std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by);
}

template <class COMBFUNC> struct __LICE_LineClass {
  // n + 1 major positions from px; err is the 16.16 minor fraction toward px + bstep.
  static void LICE_FLineImpl(LICE_pixel* px, int n, int err, int derr, int astep, int bstep,
                             LICE_pixel color, int w) {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    for (int i = 0; i <= n; i++) {
      int wa, wb;
      if (w == 256)
        GetAAPxWeightFAST(err, &wa, &wb);
      else
        GetAAPxWeight(err, w, &wa, &wb);
      COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, wa);
      COMBFUNC::doPix((LICE_pixel_chan*)(px + bstep), r, g, b, a, wb);
      err += derr;
      if (err >= 65536) {
        px += bstep;
        err -= 65536;
      }
      px += astep;
    }
  }

  // Dashes along a clipped horizontal or vertical line: pxon pixels on, pxoff off, from
  // (x1, y1) up to but not including the far end. pxon >= 1 and pxoff >= 0 here.
  static void DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                         LICE_pixel color, int w) {
    const int span = dest->getRowSpan();
    LICE_pixel* px = dest->getBits() + (size_t)y1 * span + x1;
    int step, from, to;
    if (x1 == x2) {
      step = span;
      from = y1;
      to = y2;
    } else if (y1 == y2) {
      step = 1;
      from = x1;
      to = x2;
    } else {
      return;
    }
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    // Positions are counted in 64 bits so large dash lengths cannot wrap.
    for (int64_t i = from; i < to; i += (int64_t)pxon + pxoff) {
      const int64_t n = std::min<int64_t>(pxon, to - i);
      LICE_pixel* p = px + (i - from) * step;
      for (int64_t k = 0; k < n; k++, p += step)
        COMBFUNC::doPix((LICE_pixel_chan*)p, r, g, b, a, w);
    }
  }
};

} // namespace

bool LICE_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi,
                    float yhi) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  const double ww = (double)xhi - xlo, hh = (double)yhi - ylo;
  if (!std::isfinite(ww) || !std::isfinite(hh) || ww > 2147483647.0 || hh > 2147483647.0 ||
      ww < -2147483648.0 || hh < -2147483648.0)
    return false;
  float ax = *x1 - xlo, ay = *y1 - ylo, bx = *x2 - xlo, by = *y2 - ylo;
  const int ok = ClipFLine(&ax, &ay, &bx, &by, (int)ww, (int)hh);
  *x1 = ax + xlo;
  *y1 = ay + ylo;
  *x2 = bx + xlo;
  *y2 = by + ylo;
  return ok != 0;
}

void LICE_FLine(LICE_IBitmap* dest, float x1, float y1, float x2, float y2, LICE_pixel color,
                float alpha, int mode, bool aa) {
  if (!dest) return;
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2) ||
      !_LICE_AlphaUsable(alpha))
    return;
  if (!aa) {
    // Truncation of coordinates beyond the int range is held at its ends.
    auto trunc = [](float v) {
      return v >= 2147483520.0f ? 2147483520 : v <= -2147483520.0f ? -2147483520 : (int)v;
    };
    LICE_Line(dest, trunc(x1), trunc(y1), trunc(x2), trunc(y2), color, alpha, mode, false);
    return;
  }
  const int W = dest->getWidth(), H = dest->getHeight();
  LICE_pixel* bits = dest->getBits();
  if (!bits || W < 1 || H < 1) return;
  if (dest->isFlipped()) {
    y1 = (float)(H - 1) - y1;
    y2 = (float)(H - 1) - y2;
  }
  if (!ClipFLine(&x1, &y1, &x2, &y2, W, H)) return;
  if (x1 == x2 && y1 == y2) return;

  const int span = dest->getRowSpan();
  const int w = (int)(alpha * 256.0f);
  const float dx = x2 - x1, dy = y2 - y1;
  float a1, a2, b1, b2, da, db;
  int astep, bstep;
  if (std::fabs(dx) > std::fabs(dy)) {
    a1 = x1, a2 = x2, b1 = y1, b2 = y2, da = dx, db = dy;
    astep = 1;
    bstep = span;
  } else {
    a1 = y1, a2 = y2, b1 = x1, b2 = x2, da = dy, db = dx;
    astep = span;
    bstep = 1;
  }
  if (da < 0) {
    da = -da;
    db = -db;
    std::swap(a1, a2);
    std::swap(b1, b2);
  }
  if (db < 0) bstep = -bstep;
  (void)b2;
  const int n = (int)(floorf(a2) - ceilf(a1));
  if (n < 0) return;
  const float slope = db / da;
  const float a0 = ceilf(a1);
  const float b0 = b1 + (a0 - a1) * slope;
  int err = (int)(65536.0f * (b0 - floorf(b0)));
  if (bstep < 0) err = 65535 - err;
  const int derr = (int)(std::fabs(slope) * 65536.0f);
  LICE_pixel* px = bits + (int)a0 * astep + (int)b0 * std::abs(bstep);
  if (bstep < 0) px += -bstep;

  LICE_DispatchOperator<LICE_CopyRule::Copy>(mode & LICE_BLIT_MODE_MASK, w, [&](auto op) {
    __LICE_LineClass<decltype(op)>::LICE_FLineImpl(px, n, err, derr, astep, bstep, color, w);
  });
}

void LICE_DottedVertLineFAST(LICE_IBitmap* dest, int x, int y1, int y2, LICE_pixel color) {
  if (!dest) return;
  LICE_pixel* bits = dest->getBits();
  const int W = dest->getWidth(), H = dest->getHeight(), span = dest->getRowSpan();
  // Coordinates outside the bitmap are clipped here too, keeping the dots' parity.
  if (!bits || x < 0 || x >= W || H < 1 || y1 >= H) return;
  // Dots k0..k1-1, at rows y1 + 2k.
  const int64_t k0 = y1 < 0 ? (-(int64_t)y1 + 1) / 2 : 0;
  const int64_t k1 = std::min<int64_t>(((int64_t)y2 - y1 + 1) / 2, ((int64_t)H - 1 - y1) / 2 + 1);
  for (int64_t k = k0; k < k1; k++) bits[(y1 + 2 * k) * span + x] = color;
}

void LICE_DashedLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff,
                     LICE_pixel color, float alpha, int mode, bool aa) {
  (void)aa;
  if (!dest || !dest->getBits() || !_LICE_AlphaUsable(alpha)) return;
  // A pattern without "on" pixels draws nothing; a negative gap counts as none.
  if (pxon < 1) return;
  if (pxoff < 0) pxoff = 0;
  if (!ClipLine(&x1, &y1, &x2, &y2, dest->getWidth(), dest->getHeight())) return;
  if (y2 < y1) std::swap(y1, y2);
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (pxon == 1 && pxoff == 1 && x1 == x2 && op == LICE_BLIT_MODE_COPY && alpha == 1.0f) {
    LICE_DottedVertLineFAST(dest, x1, y1, y2, color);
    return;
  }
  const int w = (int)(alpha * 256.0f);
  if (x2 < x1) std::swap(x1, x2);
  LICE_DispatchOperator<LICE_CopyRule::Mix>(op, w, [&](auto opc) {
    __LICE_LineClass<decltype(opc)>::DashedLine(dest, x1, y1, x2, y2, pxon, pxoff, color, w);
  });
}
