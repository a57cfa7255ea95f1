// Combine functions, blits, fills and pixel access.
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_simd.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

// ---- Loops, one instantiation per operator.

template <class COMBFUNC> struct _LICE_Template_Blit2 {
  // spans in pixels; negative for bottom-up storage
  static void blit(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
                   int dest_span, int alpha) {
    while (h-- > 0) {
      LICE_pixel* pout = dest;
      const LICE_pixel* pin = src;
      for (int n = w; n > 0; n--, pout++, pin++) {
        const LICE_pixel s = *pin;
        COMBFUNC::doPix((LICE_pixel_chan*)pout, LICE_GETR(s), LICE_GETG(s), LICE_GETB(s),
                        LICE_GETA(s), alpha);
      }
      dest += dest_span;
      src += src_span;
    }
  }
};

template <class COMBFUNC> struct _LICE_Template_Blit1 {
  static void solidBlit(LICE_pixel* dest, int w, int h, int r, int g, int b, int a, int span,
                        int alpha) {
    while (h-- > 0) {
      LICE_pixel* pout = dest;
      for (int n = w; n > 0; n--) COMBFUNC::doPix((LICE_pixel_chan*)pout++, r, g, b, a, alpha);
      dest += span;
    }
  }
};

template <class COMBFUNC> struct _LICE_Template_Blit0 {
  static void solidBlitFAST(LICE_pixel* dest, int w, int h, LICE_pixel color, int span) {
    while (h-- > 0) {
      LICE_pixel* pout = dest;
      for (int n = w; n > 0; n--) COMBFUNC::doPixFAST(pout++, color);
      dest += span;
    }
  }
};

// ---- Combine functions.

template <bool CLAMP>
static void CombineDispatch(LICE_pixel* dest, int r, int g, int b, int a, int w, int mode) {
  LICE_DispatchOperator<LICE_CopyRule::Blit, CLAMP>(_LICE_BlitKey(mode), w, [&](auto op) {
    decltype(op)::doPix((LICE_pixel_chan*)dest, r, g, b, a, w);
  });
}

LICE_pixel LICE_CombinePixels(LICE_pixel dest, LICE_pixel src, float alpha, int mode) {
  if (!_LICE_AlphaUsable(alpha)) return dest;
  const int w = (int)(256.0f * alpha);
  if (!w) return dest;
  CombineDispatch<false>(&dest, LICE_GETR(src), LICE_GETG(src), LICE_GETB(src), LICE_GETA(src), w,
                         mode);
  return dest;
}

void LICE_CombinePixels2(LICE_pixel* destptr, int r, int g, int b, int a, int ia, int mode) {
  if (destptr && ia) CombineDispatch<false>(destptr, r, g, b, a, ia, mode);
}

void LICE_CombinePixels2Clamp(LICE_pixel* destptr, int r, int g, int b, int a, int ia, int mode) {
  if (destptr && ia) CombineDispatch<true>(destptr, r, g, b, a, ia, mode);
}

// ---- Blit.

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode) {
  // Built in 64 bits and saturated so extreme arguments cannot overflow.
  auto sat = [](int64_t v) {
    return (int)(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
  };
  const RECT r = {srcx, srcy, sat((int64_t)srcx + srcw), sat((int64_t)srcy + srch)};
  LICE_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx_in, int dsty_in,
               const RECT* src_rect, float alpha, int mode) {
  if (!dest || !src || alpha == 0.0f || !_LICE_AlphaUsable(alpha)) return;
  const int srcw = src->getWidth(), srch = src->getHeight();
  // Clipping in 64 bits: offsets taken from one side to the other cannot overflow.
  int64_t dstx = dstx_in, dsty = dsty_in;
  int64_t left = 0, top = 0, right = srcw, bottom = srch;
  if (src_rect) {
    left = src_rect->left;
    top = src_rect->top;
    right = src_rect->right;
    bottom = src_rect->bottom;
    if (left < 0) {
      dstx -= left;
      left = 0;
    }
    if (top < 0) {
      dsty -= top;
      top = 0;
    }
    if (right > srcw) right = srcw;
    if (bottom > srch) bottom = srch;
  }
  if (dstx < 0) {
    left -= dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    top -= dsty;
    dsty = 0;
  }
  const int destw = dest->getWidth(), desth = dest->getHeight();
  if (right <= left || bottom <= top || dstx >= destw || dsty >= desth) return;
  if (right > left + (destw - dstx)) right = left + (destw - dstx);
  if (bottom > top + (desth - dsty)) bottom = top + (desth - dsty);
  if (right <= left || bottom <= top) return;

  const LICE_pixel* srcbits = src->getBits();
  LICE_pixel* destbits = dest->getBits();
  if (!srcbits || !destbits) return;

  int src_span = src->getRowSpan(), dest_span = dest->getRowSpan();
  const int w = (int)(right - left), h = (int)(bottom - top);
  const LICE_pixel* psrc;
  LICE_pixel* pdest;
  if (src->isFlipped()) {
    psrc = srcbits + (srch - 1 - top) * (intptr_t)src_span + left;
    src_span = -src_span;
  } else {
    psrc = srcbits + top * (intptr_t)src_span + left;
  }
  if (dest->isFlipped()) {
    pdest = destbits + (desth - 1 - dsty) * (intptr_t)dest_span + dstx;
    dest_span = -dest_span;
  } else {
    pdest = destbits + dsty * (intptr_t)dest_span + dstx;
  }

  if ((mode & 0xff) >= LICE_BLIT_MODE_CHANCOPY) {
    const int si = mode & 3, di = (mode >> 2) & 3;
    for (int y = 0; y < h; y++, psrc += src_span, pdest += dest_span) {
      const LICE_pixel_chan* in = (const LICE_pixel_chan*)psrc + si;
      LICE_pixel_chan* out = (LICE_pixel_chan*)pdest + di;
      for (int x = 0; x < w; x++, in += 4, out += 4) *out = *in;
    }
    return;
  }

  const int key = _LICE_BlitKey(mode);
  if (key == LICE_BLIT_MODE_COPY && alpha == 1.0f) {
    for (int y = 0; y < h; y++, psrc += src_span, pdest += dest_span)
      memmove(pdest, psrc, (size_t)w * sizeof(LICE_pixel));
    return;
  }
  if (key == LICE_BLIT_MODE_COPY && alpha == 0.5f) {
    for (int y = 0; y < h; y++, psrc += src_span, pdest += dest_span)
      for (int x = 0; x < w; x++) _LICE_CombinePixelsHalfMixFAST::doPixFAST(pdest + x, psrc[x]);
    return;
  }

  const int ia = (int)(alpha * 256.0f);
  LICE_DispatchOperator<LICE_CopyRule::Blit>(key, ia, [&](auto op) {
    typedef decltype(op) OP;
    // Within one bitmap the plain loop's pixel order decides overlapping results.
    if (std::is_same<OP, _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::value &&
        src != dest && _LICE_BlitSourceAlphaFull(pdest, psrc, w, h, src_span, dest_span))
      return;
    _LICE_Template_Blit2<OP>::blit(pdest, psrc, w, h, src_span, dest_span, ia);
  });
}

void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src) {
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  LICE_Blit(dest, src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
}

// ---- Rectangle operations.

namespace {
// The clipped rectangle of a filling operation: first pixel in memory order and the row span.
struct FillRect {
  LICE_pixel* px;
  int w, h, span;
};

bool ClipFill(LICE_IBitmap* dest, int x, int y, int w, int h, FillRect* out) {
  if (!dest) return false;
  LICE_pixel* bits = dest->getBits();
  const int span = dest->getRowSpan();
  const int W = dest->getWidth(), H = dest->getHeight();
  if (!bits || span < 1 || W < 1 || H < 1) return false;
  int64_t x0 = x, y0 = y, w0 = w, h0 = h;
  if (x0 < 0) {
    w0 += x0;
    x0 = 0;
  }
  if (y0 < 0) {
    h0 += y0;
    y0 = 0;
  }
  if (w0 < 1 || h0 < 1 || x0 >= W || y0 >= H) return false;
  if (w0 > W - x0) w0 = W - x0;
  if (h0 > H - y0) h0 = H - y0;
  // Bottom-up storage: the rectangle's last row comes first in memory.
  const int64_t row = dest->isFlipped() ? H - y0 - h0 : y0;
  out->px = bits + row * span + x0;
  out->w = (int)w0;
  out->h = (int)h0;
  out->span = span;
  return true;
}

bool ClipWhole(LICE_IBitmap* dest, FillRect* out) {
  return ClipFill(dest, 0, 0, INT32_MAX, INT32_MAX, out);
}

// Calls fn on every pixel of the clipped rectangle, in memory order.
template <class F> void EachPixel(const FillRect& f, F&& fn) {
  LICE_pixel* row = f.px;
  for (int y = 0; y < f.h; y++, row += f.span)
    for (int x = 0; x < f.w; x++) fn(row + x);
}
} // namespace

void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color) {
  FillRect f;
  if (ClipWhole(dest, &f)) EachPixel(f, [color](LICE_pixel* p) { *p = color; });
}

void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel and_mask,
                    LICE_pixel or_bits) {
  FillRect f;
  if (ClipFill(dest, x, y, w, h, &f))
    EachPixel(f, [=](LICE_pixel* p) { *p = (*p & and_mask) | or_bits; });
}

void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode) {
  if (!dest || !_LICE_AlphaUsable(alpha)) return;
  if (mode & LICE_BLIT_USE_ALPHA) alpha *= LICE_GETA(color) / 255.0f;
  FillRect f;
  if (!ClipFill(dest, x, y, w, h, &f) || alpha == 0.0f) return;
  const int ia = (int)(alpha * 256.0f);
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (op == LICE_BLIT_MODE_COPY && LICE_DispatchWholeWord(ia, color, [&](auto opc, LICE_pixel c) {
        typedef decltype(opc) OP;
        if (!std::is_same<OP, _LICE_CombinePixelsClobberFAST>::value ||
            !_LICE_FillWords(f.px, f.w, f.h, c, f.span))
          _LICE_Template_Blit0<OP>::solidBlitFAST(f.px, f.w, f.h, c, f.span);
      }))
    return;
  const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color);
  LICE_DispatchOperator<LICE_CopyRule::Copy>(op, ia, [&](auto opc) {
    typedef decltype(opc) OP;
    if (std::is_same<OP, _LICE_CombinePixelsCopyNoClamp>::value &&
        _LICE_FillCopy(f.px, f.w, f.h, r, g, b, ia, f.span))
      return;
    _LICE_Template_Blit1<OP>::solidBlit(f.px, f.w, f.h, r, g, b, ia, f.span, ia);
  });
}

void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd) {
  // Factors of a larger magnitude would overflow the per-channel sums.
  for (float v : {rsc, gsc, bsc, asc, radd, gadd, badd, aadd})
    if (!(std::fabs(v) <= 256.0f)) return;
  FillRect f;
  if (!ClipFill(dest, x, y, w, h, &f)) return;
  const int rs = (int)(rsc * 256.0f), gs = (int)(gsc * 256.0f), bs = (int)(bsc * 256.0f),
            as = (int)(asc * 256.0f);
  const int ra = (int)(radd * 256.0f), ga = (int)(gadd * 256.0f), ba = (int)(badd * 256.0f),
            aa = (int)(aadd * 256.0f);
  EachPixel(f, [&](LICE_pixel* px) {
    LICE_pixel_chan* p = (LICE_pixel_chan*)px;
    _LICE_MakePixelClamp(p, (p[LICE_PIXEL_R] * rs + ra) >> 8, (p[LICE_PIXEL_G] * gs + ga) >> 8,
                         (p[LICE_PIXEL_B] * bs + ba) >> 8, (p[LICE_PIXEL_A] * as + aa) >> 8);
  });
}

void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h,
                      void (*procFunc)(LICE_pixel* p, void* parm), void* parm) {
  FillRect f;
  if (procFunc && ClipFill(dest, x, y, w, h, &f))
    EachPixel(f, [=](LICE_pixel* p) { procFunc(p, parm); });
}

void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel color) {
  FillRect f;
  if (ClipWhole(dest, &f))
    EachPixel(f, [color](LICE_pixel* p) {
      *p = (*p & 0xFFFFFF) == color ? (*p & 0xFFFFFF) : (*p | 0xFF000000);
    });
}

static LICE_pixel* PixelAt(LICE_IBitmap* bm, int x, int y) {
  if (!bm) return nullptr;
  LICE_pixel* bits = bm->getBits();
  const int W = bm->getWidth(), H = bm->getHeight();
  if (!bits || x < 0 || y < 0 || x >= W || y >= H) return nullptr;
  if (bm->isFlipped()) y = H - 1 - y;
  return bits + (intptr_t)y * bm->getRowSpan() + x;
}

LICE_pixel LICE_GetPixel(LICE_IBitmap* src, int x, int y) {
  const LICE_pixel* p = PixelAt(src, x, y);
  return p ? *p : 0;
}

void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_pixel color, float alpha, int mode) {
  LICE_pixel* p = PixelAt(dest, x, y);
  if (!p || !_LICE_AlphaUsable(alpha)) return;
  const int ia = (int)(256.0f * alpha);
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (op == LICE_BLIT_MODE_COPY && LICE_DispatchWholeWord(ia, color, [p](auto opc, LICE_pixel c) {
        decltype(opc)::doPixFAST(p, c);
      }))
    return;
  // The source-alpha flag is not used here.
  CombineDispatch<false>(p, LICE_GETR(color), LICE_GETG(color), LICE_GETB(color), LICE_GETA(color),
                         ia, op);
}
