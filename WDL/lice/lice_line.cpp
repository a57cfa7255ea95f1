// Straight lines with optional anti-aliasing, and outline rectangles.
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_line.h"
#include "WDL/lice/lice_simd.h"

#include <cstdint>
#include <cstdlib>
#include <type_traits>
#include <utility>

namespace {

int OffscreenTest64(int64_t x, int64_t y, int64_t W, int64_t H) {
  return (x < 0 ? 1 : x >= W ? 2 : 0) | (y < 0 ? 4 : y >= H ? 8 : 0);
}

// Region-code clipping. Coordinates are 64-bit so that far-out end points (and a flipped
// bitmap's mirrored ones) cannot overflow; every moved end lies between the two ends.
bool ClipLine64(int64_t* x1, int64_t* y1, int64_t* x2, int64_t* y2, int64_t W, int64_t H) {
  int c1 = OffscreenTest64(*x1, *y1, W, H), c2 = OffscreenTest64(*x2, *y2, W, H);
  for (int pass = 0; pass < 33; pass++) {
    if (!(c1 | c2)) return true;
    if (c1 & c2) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const double fx1 = (double)*x1, fy1 = (double)*y1, fx2 = (double)*x2, fy2 = (double)*y2;
    int64_t x, y;
    // The bottom and right intersections are taken at H and W, then placed on the last row
    // or column.
    if (c & 8) {
      x = *x1 + (int64_t)((fx2 - fx1) * ((double)H - fy1) / (fy2 - fy1));
      y = H - 1;
    } else if (c & 4) {
      x = *x1 + (int64_t)((fx2 - fx1) * (0.0 - fy1) / (fy2 - fy1));
      y = 0;
    } else if (c & 2) {
      y = *y1 + (int64_t)((fy2 - fy1) * ((double)W - fx1) / (fx2 - fx1));
      x = W - 1;
    } else {
      y = *y1 + (int64_t)((fy2 - fy1) * (0.0 - fx1) / (fx2 - fx1));
      x = 0;
    }
    if (first) {
      *x1 = x;
      *y1 = y;
      c1 = OffscreenTest64(x, y, W, H);
    } else {
      *x2 = x;
      *y2 = y;
      c2 = OffscreenTest64(x, y, W, H);
    }
  }
  return false;
}

int Saturate(int64_t v) {
  return (int)(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// ---- Loops, one instantiation per operator.

template <class COMBFUNC> struct __LICE_LineClassSimple {
  static void LICE_HorizLineFAST(LICE_pixel* px, int n, LICE_pixel c) {
    while (n-- > 0) COMBFUNC::doPixFAST(px++, c);
  }
  static void LICE_HorizLine(LICE_pixel* px, int n, LICE_pixel c, int w) {
    const int r = LICE_GETR(c), g = LICE_GETG(c), b = LICE_GETB(c), a = LICE_GETA(c);
    while (n-- > 0) COMBFUNC::doPix((LICE_pixel_chan*)px++, r, g, b, a, w);
  }
  static void LICE_VertLineFAST(LICE_pixel* px, int span, int n, LICE_pixel c) {
    for (; n > 0; n--, px += span) COMBFUNC::doPixFAST(px, c);
  }
  static void LICE_VertLine(LICE_pixel* px, int span, int n, LICE_pixel c, int w) {
    const int r = LICE_GETR(c), g = LICE_GETG(c), b = LICE_GETB(c), a = LICE_GETA(c);
    for (; n > 0; n--, px += span) COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, w);
  }
  // n + 1 pixels
  static void LICE_DiagLine(LICE_pixel* px, int n, int xstep, int ystep, LICE_pixel c, int w) {
    const int r = LICE_GETR(c), g = LICE_GETG(c), b = LICE_GETB(c), a = LICE_GETA(c);
    const int step = xstep + ystep;
    for (int i = 0; i <= n; i++, px += step) COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, w);
  }
  static void LICE_DiagLineAA(LICE_pixel* px, int n, int xstep, int ystep, LICE_pixel c, int w) {
    const int r = LICE_GETR(c), g = LICE_GETG(c), b = LICE_GETB(c), a = LICE_GETA(c);
    const int step = xstep + ystep, wl = (w * 3) / 4, wn = w / 4;
    for (int i = 0; i < n; i++, px += step) {
      COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, wl);
      COMBFUNC::doPix((LICE_pixel_chan*)(px + xstep), r, g, b, a, wn);
      COMBFUNC::doPix((LICE_pixel_chan*)(px + ystep), r, g, b, a, wn);
    }
    COMBFUNC::doPix((LICE_pixel_chan*)px, r, g, b, a, wl);
  }
};

void LICE_DiagLineFAST(LICE_pixel* px, int n, int xstep, int ystep, LICE_pixel c, bool aa) {
  const int step = xstep + ystep;
  if (!aa) {
    for (int i = 0; i <= n; i++, px += step) *px = c;
    return;
  }
  const LICE_pixel q = _LICE_CombinePixelsQuarterMix2FAST::Prep(c),
                   t = _LICE_CombinePixelsThreeQuarterMix2FAST::Prep(c);
  for (int i = 0; i < n; i++, px += step) {
    _LICE_CombinePixelsThreeQuarterMix2FAST::doPixFAST(px, t);
    _LICE_CombinePixelsQuarterMix2FAST::doPixFAST(px + xstep, q);
    _LICE_CombinePixelsQuarterMix2FAST::doPixFAST(px + ystep, q);
  }
  _LICE_CombinePixelsThreeQuarterMix2FAST::doPixFAST(px, t);
}

template <class COMBFUNC> struct __LICE_LineClass {
  // Walks from both ends toward the middle. astep/bstep: major and minor steps in pixels;
  // derr: minor movement per major step in 16.16, 0..65535.
  static void LICE_LineImpl(LICE_pixel* px1, LICE_pixel* px2, int derr, int astep, int na,
                            int bstep, LICE_pixel color, int w, bool aa) {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int half = (na + 1) / 2;
    if (!aa) {
      int err = 0;
      for (int i = 0; i < half; i++) {
        COMBFUNC::doPix((LICE_pixel_chan*)px1, r, g, b, a, w);
        COMBFUNC::doPix((LICE_pixel_chan*)px2, r, g, b, a, w);
        err += derr;
        if (err >= 32768) {
          px1 += bstep;
          px2 -= bstep;
          err -= 65536;
        }
        px1 += astep;
        px2 -= astep;
      }
      if (!(na & 1)) COMBFUNC::doPix((LICE_pixel_chan*)px1, r, g, b, a, w);
      return;
    }
    COMBFUNC::doPix((LICE_pixel_chan*)px1, r, g, b, a, w);
    COMBFUNC::doPix((LICE_pixel_chan*)px2, r, g, b, a, w);
    px1 += astep;
    px2 -= astep;
    int err = derr, wa, wb;
    for (int i = 1; i < half; i++) {
      if (w == 256)
        GetAAPxWeightFAST(err, &wa, &wb);
      else
        GetAAPxWeight(err, w, &wa, &wb);
      COMBFUNC::doPix((LICE_pixel_chan*)px1, r, g, b, a, wa);
      COMBFUNC::doPix((LICE_pixel_chan*)(px1 + bstep), r, g, b, a, wb);
      COMBFUNC::doPix((LICE_pixel_chan*)px2, r, g, b, a, wa);
      COMBFUNC::doPix((LICE_pixel_chan*)(px2 - bstep), r, g, b, a, wb);
      err += derr;
      if (err >= 65536) {
        px1 += bstep;
        px2 -= bstep;
        err -= 65536;
      }
      px1 += astep;
      px2 -= astep;
    }
    if (!(na & 1)) {
      if (w == 256)
        GetAAPxWeightFAST(err, &wa, &wb);
      else
        GetAAPxWeight(err, w, &wa, &wb);
      COMBFUNC::doPix((LICE_pixel_chan*)px1, r, g, b, a, wa);
      COMBFUNC::doPix((LICE_pixel_chan*)(px1 + bstep), r, g, b, a, wb);
    }
  }
};

// Whole-word copy where alpha is exactly 1.0, 0.5, 0.25 or 0.75; false otherwise.
template <class F> bool WholeWordRule(int op, float alpha, int w, LICE_pixel c, F&& f) {
  return op == LICE_BLIT_MODE_COPY && alpha == w / 256.0f && LICE_DispatchWholeWord(w, c, f);
}

} // namespace

int ClipLine(int* pX1, int* pY1, int* pX2, int* pY2, int W, int H) {
  int64_t x1 = *pX1, y1 = *pY1, x2 = *pX2, y2 = *pY2;
  const bool ok = ClipLine64(&x1, &y1, &x2, &y2, W, H);
  *pX1 = Saturate(x1);
  *pY1 = Saturate(y1);
  *pX2 = Saturate(x2);
  *pY2 = Saturate(y2);
  return ok ? 1 : 0;
}

bool LICE_ClipLine(int* pX1, int* pY1, int* pX2, int* pY2, int xLo, int yLo, int xHi, int yHi) {
  int64_t x1 = (int64_t)*pX1 - xLo, y1 = (int64_t)*pY1 - yLo;
  int64_t x2 = (int64_t)*pX2 - xLo, y2 = (int64_t)*pY2 - yLo;
  const int64_t W = (int64_t)xHi - xLo, H = (int64_t)yHi - yLo;
  const bool ok = ClipLine64(&x1, &y1, &x2, &y2, W, H);
  *pX1 = Saturate(x1 + xLo);
  *pY1 = Saturate(y1 + yLo);
  *pX2 = Saturate(x2 + xLo);
  *pY2 = Saturate(y2 + yLo);
  return ok;
}

namespace {

// n pixels of a row from px.
void HorizRun(LICE_pixel* px, int n, LICE_pixel color, float alpha, int op, int w) {
  if (WholeWordRule(op, alpha, w, color, [&](auto opc, LICE_pixel c) {
        typedef decltype(opc) OP;
        if (!std::is_same<OP, _LICE_CombinePixelsClobberFAST>::value ||
            !_LICE_FillWords(px, n, 1, c, n))
          __LICE_LineClassSimple<OP>::LICE_HorizLineFAST(px, n, c);
      }))
    return;
  LICE_DispatchOperator<LICE_CopyRule::Mix>(op, w, [&](auto opc) {
    __LICE_LineClassSimple<decltype(opc)>::LICE_HorizLine(px, n, color, w);
  });
}

// Kept out of LICE_Line so that a row, the common case, pays for none of this.
__attribute__((noinline)) void AnyLine(LICE_IBitmap* dest, int xa, int ya, int xb, int yb,
                                       LICE_pixel color, float alpha, int mode, bool aa) {
  const int W = dest->getWidth(), H = dest->getHeight();
  int64_t x1 = xa, y1 = ya, x2 = xb, y2 = yb;
  if (dest->isFlipped()) {
    y1 = H - 1 - y1;
    y2 = H - 1 - y2;
  }
  if (!ClipLine64(&x1, &y1, &x2, &y2, W, H)) return;
  LICE_pixel* bits = dest->getBits();
  if (!bits) return;
  const int span = dest->getRowSpan();
  const int op = mode & LICE_BLIT_MODE_MASK;
  const int w = (int)(256.0f * alpha);
  auto pixel = [&](int64_t x, int64_t y) { return bits + y * span + x; };

  if (y1 == y2) {
    if (x1 > x2) std::swap(x1, x2);
    HorizRun(pixel(x1, y1), (int)(x2 - x1 + 1), color, alpha, op, w);
    return;
  }
  if (x1 == x2) {
    if (y1 > y2) std::swap(y1, y2);
    LICE_pixel* px = pixel(x1, y1);
    const int n = (int)(y2 - y1 + 1);
    if (WholeWordRule(op, alpha, w, color, [&](auto opc, LICE_pixel c) {
          __LICE_LineClassSimple<decltype(opc)>::LICE_VertLineFAST(px, span, n, c);
        }))
      return;
    LICE_DispatchOperator<LICE_CopyRule::Mix>(op, w, [&](auto opc) {
      __LICE_LineClassSimple<decltype(opc)>::LICE_VertLine(px, span, n, color, w);
    });
    return;
  }

  int64_t dx = x2 - x1, dy = y2 - y1;
  if (std::llabs(dx) == std::llabs(dy)) {
    LICE_pixel* px = pixel(x1, y1);
    const int n = (int)std::llabs(dx);
    const int xstep = x2 > x1 ? 1 : -1, ystep = y2 > y1 ? span : -span;
    if (op == LICE_BLIT_MODE_COPY && alpha == 1.0f) {
      LICE_DiagLineFAST(px, n, xstep, ystep, color, aa);
    } else if (aa) {
      LICE_DispatchOperator<LICE_CopyRule::Copy>(op, w, [&](auto opc) {
        __LICE_LineClassSimple<decltype(opc)>::LICE_DiagLineAA(px, n, xstep, ystep, color, w);
      });
    } else {
      LICE_DispatchOperator<LICE_CopyRule::Mix>(op, w, [&](auto opc) {
        __LICE_LineClassSimple<decltype(opc)>::LICE_DiagLine(px, n, xstep, ystep, color, w);
      });
    }
    return;
  }

  LICE_pixel* px1 = pixel(x1, y1);
  LICE_pixel* px2 = pixel(x2, y2);
  int64_t major, minor;
  int astep, bstep;
  if (std::llabs(dx) <= std::llabs(dy)) {
    major = dy;
    minor = dx;
    astep = span;
    bstep = 1;
  } else {
    major = dx;
    minor = dy;
    astep = 1;
    bstep = span;
  }
  if (major < 0) {
    major = -major;
    minor = -minor;
    std::swap(px1, px2);
  }
  if (minor < 0) {
    minor = -minor;
    bstep = -bstep;
  }
  const int derr = (int)(65536.0 * (double)minor / (double)major);
  const int na = (int)major;
  if (aa) {
    LICE_DispatchOperator<LICE_CopyRule::Copy>(op, w, [&](auto opc) {
      __LICE_LineClass<decltype(opc)>::LICE_LineImpl(px1, px2, derr, astep, na, bstep, color, w,
                                                     true);
    });
  } else {
    LICE_DispatchOperator<LICE_CopyRule::Mix>(op, w, [&](auto opc) {
      __LICE_LineClass<decltype(opc)>::LICE_LineImpl(px1, px2, derr, astep, na, bstep, color, w,
                                                     false);
    });
  }
}

} // namespace

void LICE_Line(LICE_IBitmap* dest, int xa, int ya, int xb, int yb, LICE_pixel color, float alpha,
               int mode, bool aa) {
  if (!dest || !_LICE_AlphaUsable(alpha)) return;
  if (ya != yb) {
    AnyLine(dest, xa, ya, xb, yb, color, alpha, mode, aa);
    return;
  }
  // One row: clipping only trims its ends, or drops it whole.
  const int64_t W = dest->getWidth(), H = dest->getHeight();
  const int64_t y = dest->isFlipped() ? H - 1 - ya : ya;
  int64_t x1 = xa < xb ? xa : xb, x2 = xa < xb ? xb : xa;
  if (y < 0 || y >= H || x2 < 0 || x1 >= W) return;
  if (x1 < 0) x1 = 0;
  if (x2 >= W) x2 = W - 1;
  LICE_pixel* bits = dest->getBits();
  if (!bits) return;
  LICE_pixel* px = bits + y * dest->getRowSpan() + x1;
  const int n = (int)(x2 - x1 + 1), op = mode & LICE_BLIT_MODE_MASK;
  // The opaque copy straight to the vector store loop.
  if (op == LICE_BLIT_MODE_COPY && alpha == 1.0f && _LICE_FillWords(px, n, 1, color, n)) return;
  HorizRun(px, n, color, alpha, op, (int)(256.0f * alpha));
}

void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode) {
  // Sums saturate: a rectangle reaching past the int range is clipped like any other.
  const int r = Saturate((int64_t)x + w), b = Saturate((int64_t)y + h);
  LICE_Line(dest, x, y, r, y, color, alpha, mode, false);
  LICE_Line(dest, r, y, r, b, color, alpha, mode, false);
  LICE_Line(dest, r, b, x, b, color, alpha, mode, false);
  LICE_Line(dest, x, b, x, y, color, alpha, mode, false);
}

void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel bgcolor,
                       LICE_pixel fgcolor, float alpha, int mode) {
  LICE_FillRect(dest, Saturate((int64_t)x + 1), Saturate((int64_t)y + 1), Saturate((int64_t)w - 1),
                Saturate((int64_t)h - 1), bgcolor, alpha, mode);
  LICE_DrawRect(dest, x, y, w, h, fgcolor, alpha, mode);
}
