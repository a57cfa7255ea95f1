#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_combine.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

// A float in 16.16, saturated so that wild inputs cannot overflow the conversion.
int Fixed16(double v) {
  v *= 65536.0;
  if (v >= (double)INT_MAX) return INT_MAX;
  if (v <= (double)INT_MIN) return INT_MIN;
  return (int)v;
}

// Start of row y of a bitmap and the step to the next row, honouring flipped storage.
struct Rows {
  LICE_pixel* first;
  int span;
};
Rows RowsFrom(LICE_IBitmap* bm, int x, int y) {
  const int span = bm->getRowSpan();
  LICE_pixel* bits = bm->getBits();
  if (bm->isFlipped()) return {bits + (std::ptrdiff_t)(bm->getHeight() - 1 - y) * span + x, -span};
  return {bits + (std::ptrdiff_t)y * span + x, span};
}

} // namespace

template <class COMBFUNC> struct _LICE_Template_Grad {
  // Values are 16.16; the alpha is passed both as the source alpha and as the weight.
  static void gradBlit(LICE_pixel* dest, int w, int h, int ir, int ig, int ib, int ia, int drdx,
                       int dgdx, int dbdx, int dadx, int drdy, int dgdy, int dbdy, int dady,
                       int span) {
    while (h--) {
      int r = ir, g = ig, b = ib, a = ia;
      ir += drdy;
      ig += dgdy;
      ib += dbdy;
      ia += dady;
      LICE_pixel_chan* p = (LICE_pixel_chan*)dest;
      for (int n = w; n--; p += sizeof(LICE_pixel)) {
        COMBFUNC::doPix(p, r / 65536, g / 65536, b / 65536, a / 65536, a / 65536);
        r += drdx;
        g += dgdx;
        b += dbdx;
        a += dadx;
      }
      dest += span;
    }
  }
};

void LICE_GradRect(LICE_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                   float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                   float dgdy, float dbdy, float dady, int mode) {
  if (!dest) return;
  for (float v : {ir, ig, ib, ia, drdx, dgdx, dbdx, dadx, drdy, dgdy, dbdy, dady})
    if (!std::isfinite(v)) return;
  // Start values r, g, b, a and their steps per pixel (dx) and per row (dy).
  double v0[4] = {ir * 255.0, ig * 255.0, ib * 255.0, ia * 256.0};
  const double dx[4] = {drdx * 255.0, dgdx * 255.0, dbdx * 255.0, dadx * 256.0};
  const double dy[4] = {drdy * 255.0, dgdy * 255.0, dbdy * 255.0, dady * 256.0};
  // A negative start skips that many steps and shortens the run.
  auto skip = [&](int& pos, int& len, const double* step) {
    if (pos >= 0) return;
    for (int i = 0; i < 4; i++) v0[i] -= pos * step[i];
    len += pos;
    pos = 0;
  };
  skip(dstx, dstw, dx);
  skip(dsty, dsth, dy);
  const int W = dest->getWidth(), H = dest->getHeight();
  if (!dest->getBits() || !dest->getRowSpan() || dstw < 1 || dsth < 1 || dstx >= W || dsty >= H)
    return;
  if (dstw > W - dstx) dstw = W - dstx;
  if (dsth > H - dsty) dsth = H - dsty;
  Rows rows = RowsFrom(dest, dstx, dsty);
  int v[12];
  for (int i = 0; i < 4; i++) {
    v[i] = Fixed16(v0[i]);
    v[4 + i] = Fixed16(dx[i]);
    v[8 + i] = Fixed16(dy[i]);
  }
  // Full, constant alpha: the copy operator at weight 256 is a clamped store.
  const bool full = v[3] == 256 * 65536 && !v[7] && !v[11];
  LICE_DispatchOperator<LICE_CopyRule::Walk, true>(
      mode & LICE_BLIT_MODE_MASK, full ? 256 : 0, [&](auto op) {
        _LICE_Template_Grad<decltype(op)>::gradBlit(rows.first, dstw, dsth, v[0], v[1], v[2], v[3],
                                                    v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                                                    v[11], rows.span);
      });
}

template <class COMBFUNC> struct GlyphDrawImpl {
  static void DrawGlyph(const LICE_pixel_chan* mask, LICE_pixel* dest, int w, int h,
                        LICE_pixel color, int span, int mask_span, int alpha) {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    while (h--) {
      LICE_pixel_chan* p = (LICE_pixel_chan*)dest;
      for (int x = 0; x < w; x++, p += sizeof(LICE_pixel)) {
        const int v = mask[x];
        if (v) COMBFUNC::doPix(p, r, g, b, a, (v * alpha) / 256);
      }
      mask += mask_span;
      dest += span;
    }
  }
  // bit: index of the first pixel's bit within the first byte of each row (0 = top bit).
  static void DrawGlyphMono(const unsigned char* mask, LICE_pixel* dest, int w, int h,
                            LICE_pixel color, int span, int mask_span, int alpha, int bit) {
    const int r = LICE_GETR(color), g = LICE_GETG(color), b = LICE_GETB(color),
              a = LICE_GETA(color);
    const int weight = (255 * alpha) / 256;
    while (h--) {
      LICE_pixel_chan* p = (LICE_pixel_chan*)dest;
      const unsigned char* m = mask;
      for (int x = 0, k = bit; x < w; x++, p += sizeof(LICE_pixel)) {
        if (*m & (0x80 >> k)) COMBFUNC::doPix(p, r, g, b, a, weight);
        if (++k == 8) {
          k = 0;
          m++;
        }
      }
      mask += mask_span;
      dest += span;
    }
  }
};

// Clips a mask placed at (x, y) against dest. Answers false when nothing is left; else the
// skipped columns and rows of the mask and the remaining size.
static bool ClipMask(LICE_IBitmap* dest, int& x, int& y, int& w, int& h, int& skipx, int& skipy) {
  skipx = skipy = 0;
  if (x <= -w || y <= -h) return false;
  if (x < 0) {
    skipx = -x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    skipy = -y;
    h += y;
    y = 0;
  }
  const int W = dest->getWidth(), H = dest->getHeight();
  if (w < 0 || h < 0 || x >= W || y >= H) return false;
  if (w > W - x) w = W - x;
  if (h > H - y) h = H - y;
  return w >= 1 && h >= 1 && dest->getBits();
}

template <bool MONO>
static void DrawMask(LICE_IBitmap* dest, int x, int y, LICE_pixel color, const unsigned char* mask,
                     int mask_w, int mask_span, int mask_h, float alpha, int mode) {
  if (!dest || !mask || !_LICE_AlphaUsable(alpha)) return;
  if (mask_span < 0) mask -= (std::ptrdiff_t)mask_span * (mask_h - 1);
  const int ia = (int)(256 * alpha);
  int skipx, skipy;
  if (!ClipMask(dest, x, y, mask_w, mask_h, skipx, skipy)) return;
  mask += (std::ptrdiff_t)skipy * mask_span + (MONO ? skipx / 8 : skipx);
  const int bit = MONO ? skipx % 8 : 0;
  Rows rows = RowsFrom(dest, x, y);
  LICE_DispatchOperator<LICE_CopyRule::Copy>(mode & LICE_BLIT_MODE_MASK, ia, [&](auto op) {
    typedef GlyphDrawImpl<decltype(op)> G;
    if (MONO)
      G::DrawGlyphMono(mask, rows.first, mask_w, mask_h, color, rows.span, mask_span, ia, bit);
    else
      G::DrawGlyph(mask, rows.first, mask_w, mask_h, color, rows.span, mask_span, ia);
  });
}

void LICE_DrawGlyphEx(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                      const LICE_pixel_chan* alphas, int glyph_w, int glyph_span, int glyph_h,
                      float alpha, int mode) {
  DrawMask<false>(dest, x, y, color, alphas, glyph_w, glyph_span, glyph_h, alpha, mode);
}

void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                    const LICE_pixel_chan* alphas, int glyph_w, int glyph_h, float alpha,
                    int mode) {
  DrawMask<false>(dest, x, y, color, alphas, glyph_w, glyph_w, glyph_h, alpha, mode);
}

void LICE_DrawMonoGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color,
                        const unsigned char* bits, int glyph_w, int glyph_span, int glyph_h,
                        float alpha, int mode) {
  DrawMask<true>(dest, x, y, color, bits, glyph_w, glyph_span, glyph_h, alpha, mode);
}

static inline LICE_pixel Half(LICE_pixel p) {
  return (p >> 1) & 0x7f7f7f7f;
}
static inline LICE_pixel Quarter(LICE_pixel p) {
  return (p >> 2) & 0x3f3f3f3f;
}
static inline LICE_pixel Eighth(LICE_pixel p) {
  return (p >> 3) & 0x1f1f1f1f;
}

// One output row. cur, above and below are source rows (above or below null at the edges).
static void BlurRow(LICE_pixel* out, const LICE_pixel* cur, const LICE_pixel* above,
                    const LICE_pixel* below, int w) {
  if (!above || !below) {
    const LICE_pixel* v = above ? above : below;
    out[0] = Half(cur[0]) + Quarter(cur[1]) + Quarter(v[0]);
    for (int x = 1; x < w - 1; x++)
      out[x] = Half(cur[x]) + Quarter(v[x]) + Eighth(cur[x + 1]) + Eighth(cur[x - 1]);
    out[w - 1] = Half(cur[w - 1]) + Quarter(cur[w - 2]) + Quarter(v[w - 1]);
    return;
  }
  out[0] = Half(cur[0]) + Quarter(cur[1]) + Eighth(above[0]) + Eighth(below[0]);
  for (int x = 1; x < w - 1; x++)
    out[x] = Half(cur[x]) + Eighth(cur[x + 1]) + Eighth(cur[x - 1]) + Eighth(above[x]) +
             Eighth(below[x]);
  out[w - 1] = Half(cur[w - 1]) + Quarter(cur[w - 2]) + Eighth(above[w - 1]) + Eighth(below[w - 1]);
}

void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch) {
  if (!dest || !src) return;
  int l = srcx, t = srcy, r = srcx + srcw, b = srcy + srch;
  if (l < 0) l = 0;
  if (t < 0) t = 0;
  if (r > src->getWidth()) r = src->getWidth();
  if (b > src->getHeight()) b = src->getHeight();
  if (dstx < 0) {
    l -= dstx;
    dstx = 0;
  }
  if (dsty < 0) {
    t -= dsty;
    dsty = 0;
  }
  if (r <= l || b <= t || dstx >= dest->getWidth() || dsty >= dest->getHeight()) return;
  if (r - l > dest->getWidth() - dstx) r = l + dest->getWidth() - dstx;
  if (b - t > dest->getHeight() - dsty) b = t + dest->getHeight() - dsty;
  const int w = r - l, h = b - t;
  if (w < 2 || h < 2 || !dest->getBits() || !src->getBits()) return;

  Rows s = RowsFrom(src, l, t), d = RowsFrom(dest, dstx, dsty);
  const bool inplace = dest == src;
  // In place, the current and the previous source row are kept unblurred here.
  LICE_pixel stackbuf[2 * 1024];
  LICE_pixel* saved = nullptr;
  if (inplace) saved = w <= 1024 ? stackbuf : new LICE_pixel[2 * (size_t)w];
  const LICE_pixel* prev = nullptr;
  for (int y = 0; y < h; y++) {
    const LICE_pixel* cur = s.first + (std::ptrdiff_t)y * s.span;
    if (inplace) {
      LICE_pixel* keep = saved + (y & 1) * (size_t)w;
      memcpy(keep, cur, (size_t)w * sizeof(LICE_pixel));
      cur = keep;
    }
    const LICE_pixel* above = y > 0 ? prev : nullptr;
    const LICE_pixel* below = y < h - 1 ? s.first + (std::ptrdiff_t)(y + 1) * s.span : nullptr;
    BlurRow(d.first + (std::ptrdiff_t)y * d.span, cur, above, below, w);
    prev = cur;
  }
  if (saved && saved != stackbuf) delete[] saved;
}

void LICE_HalveBlitAA(LICE_IBitmap* dest, LICE_IBitmap* src) {
  if (!dest || !src || !dest->getBits() || !src->getBits()) return;
  int w = src->getWidth() / 2, h = src->getHeight() / 2;
  if (w > dest->getWidth()) w = dest->getWidth();
  if (h > dest->getHeight()) h = dest->getHeight();
  const int sspan = src->getRowSpan(), dspan = dest->getRowSpan();
  for (int y = 0; y < h; y++) {
    const LICE_pixel* s0 = src->getBits() + (std::ptrdiff_t)(2 * y) * sspan;
    const LICE_pixel* s1 = s0 + sspan;
    LICE_pixel* out = dest->getBits() + (std::ptrdiff_t)y * dspan;
    for (int x = 0; x < w; x++)
      out[x] =
          Quarter(s0[2 * x]) + Quarter(s0[2 * x + 1]) + Quarter(s1[2 * x]) + Quarter(s1[2 * x + 1]);
  }
}

void LICE_SimpleFill(LICE_IBitmap* dest, int x, int y, LICE_pixel fillcolor, LICE_pixel cmpmask,
                     LICE_pixel keepmask) {
  if (!dest) return;
  const int W = dest->getWidth(), H = dest->getHeight();
  LICE_pixel* bits = dest->getBits();
  if (!bits || x < 0 || y < 0 || x >= W || y >= H) return;
  const int span = dest->getRowSpan();
  const LICE_pixel ref = bits[(std::ptrdiff_t)y * span + x] & cmpmask;
  auto matches = [&](LICE_pixel p) { return (p & cmpmask) == ref; };
  auto fillRow = [&](LICE_pixel* row) {
    row[x] = (row[x] & keepmask) | fillcolor;
    for (int i = x + 1; i < W && matches(row[i]); i++) row[i] = (row[i] & keepmask) | fillcolor;
    for (int i = x - 1; i >= 0 && matches(row[i]); i--) row[i] = (row[i] & keepmask) | fillcolor;
  };
  for (int row = y; row < H && matches(bits[(std::ptrdiff_t)row * span + x]); row++)
    fillRow(bits + (std::ptrdiff_t)row * span);
  for (int row = y - 1; row >= 0 && matches(bits[(std::ptrdiff_t)row * span + x]); row--)
    fillRow(bits + (std::ptrdiff_t)row * span);
}

int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* diffs) {
  return LICE_BitmapCmpEx(a, b, 0xffffffff, diffs);
}

int LICE_BitmapCmpEx(LICE_IBitmap* a, LICE_IBitmap* b, LICE_pixel mask, int* diffs) {
  if (!a || !b) return !a && b ? -1 : (a && !b ? 1 : 0);
  const int w = a->getWidth(), h = a->getHeight();
  if (w != b->getWidth()) return b->getWidth() - w;
  if (h != b->getHeight()) return b->getHeight() - h;
  if (diffs) diffs[0] = diffs[1] = diffs[2] = diffs[3] = 0;
  if (!a->getBits() || !b->getBits() || w < 1 || h < 1) return 0;
  Rows ra = RowsFrom(a, 0, 0), rb = RowsFrom(b, 0, 0);
  auto rowA = [&](int y) { return ra.first + (std::ptrdiff_t)y * ra.span; };
  auto rowB = [&](int y) { return rb.first + (std::ptrdiff_t)y * rb.span; };
  auto differ = [&](int x, int y) { return ((rowA(y)[x] ^ rowB(y)[x]) & mask) != 0; };

  if (!diffs) {
    for (int y = 0; y < h; y++) {
      if (mask == 0xffffffff) {
        const int c = memcmp(rowA(y), rowB(y), (size_t)w * sizeof(LICE_pixel));
        if (c) return c;
      } else {
        for (int x = 0; x < w; x++)
          if (differ(x, y)) return 1;
      }
    }
    return 0;
  }

  int y0 = 0, x0 = -1;
  for (; y0 < h && x0 < 0; y0++)
    for (int x = 0; x < w; x++)
      if (differ(x, y0)) {
        x0 = x;
        break;
      }
  if (x0 < 0) return 0;
  y0--;
  int x1 = w - 1;
  while (x1 > x0 && !differ(x1, y0)) x1--;
  int y1 = h - 1;
  while (y1 > y0) {
    int first = -1, last = -1;
    for (int x = 0; x < w; x++)
      if (differ(x, y1)) {
        if (first < 0) first = x;
        last = x;
      }
    if (first >= 0) {
      if (first < x0) x0 = first;
      if (last > x1) x1 = last;
      break;
    }
    y1--;
  }
  for (int y = y0 + 1; y < y1 && (x0 > 0 || x1 < w - 1); y++) {
    for (int x = 0; x < x0; x++)
      if (differ(x, y)) {
        x0 = x;
        break;
      }
    for (int x = w - 1; x > x1; x--)
      if (differ(x, y)) {
        x1 = x;
        break;
      }
  }
  diffs[0] = x0;
  diffs[1] = y0;
  diffs[2] = x1 - x0 + 1;
  diffs[3] = y1 - y0 + 1;
  return 1;
}
