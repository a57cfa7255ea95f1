// Scaled blit: 16.16 fixed-point stepping through a source window, nearest, bilinear or a
// box average when shrinking strongly.
#include "WDL/lice/lice_shapes.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_simd.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <emmintrin.h>
#include <cstring>
#include <type_traits>

namespace {

// Positions and steps are 16.16 in 64 bits: a large source or step passes 32 bits.
typedef int64_t fix_t;

// What a scaled blit walks: the destination rectangle and the source window, with the start
// position and steps relative to the window's top-left pixel.
struct ScaleJob {
  LICE_pixel* dest;      // first destination pixel
  int dspan;             // destination row step in pixels (negative on flipped storage)
  const LICE_pixel* src; // the window's top-left pixel
  int sspan;
  int w, h;                  // destination size
  fix_t icurx, icury;        // first sample
  fix_t idx, idy;            // steps per pixel and per row
  int clipright, clipbottom; // window size
  bool distinct;             // source and destination are different bitmaps
};

inline bool Inside(fix_t v, int lim) {
  return (uint64_t)v < (uint64_t)(unsigned)lim;
}

// Nearest sampling: put(destination pixel, source pixel) wherever the sample lies in the
// window.
template <class PUT> void NearestWalk(const ScaleJob& j, PUT put) {
  LICE_pixel* drow = j.dest;
  fix_t cury = j.icury;
  for (int y = 0; y < j.h; y++, cury += j.idy, drow += j.dspan) {
    const fix_t sy = cury >> 16;
    if (!Inside(sy, j.clipbottom)) continue;
    const LICE_pixel* srow = j.src + sy * j.sspan;
    fix_t curx = j.icurx;
    for (int x = 0; x < j.w; x++, curx += j.idx) {
      const fix_t sx = curx >> 16;
      if (Inside(sx, j.clipright)) put(drow + x, srow[sx]);
    }
  }
}

// The destination columns [*xa, *xb) whose samples lie in source columns lo..hi: the samples
// move one way along a row, so they form one run.
void SampleRun(const ScaleJob& j, fix_t lo, fix_t hi, int* xa, int* xb) {
  *xa = *xb = 0;
  fix_t curx = j.icurx;
  bool seen = false;
  for (int x = 0; x < j.w; x++, curx += j.idx) {
    const fix_t sx = curx >> 16;
    if (sx >= lo && sx <= hi) {
      if (!seen) *xa = x;
      seen = true;
      *xb = x + 1;
    }
  }
}

// Vector rows apply: reading the source in runs ahead of the writes needs distinct bitmaps.
bool VectorRows(const ScaleJob& j) {
  return j.distinct && LICE_fastpaths_enabled && LICE_GetSimdLevel() != LICE_SIMD_NONE;
}

// n samples made by fill(out, first, count) put at d: straight in for the plain copy at full
// weight, else through the operator from a small buffer.
template <class COMBFUNC, class FILL> void PutSamples(LICE_pixel* d, int n, int w, FILL fill) {
  if (std::is_same<COMBFUNC, _LICE_CombinePixelsClobberNoClamp>::value) {
    fill(d, 0, n);
    return;
  }
  LICE_pixel buf[128];
  for (int k = 0; k < n; k += 128) {
    const int m = n - k < 128 ? n - k : 128;
    fill(buf, k, m);
    for (int i = 0; i < m; i++) {
      const LICE_pixel p = buf[i];
      COMBFUNC::doPix((LICE_pixel_chan*)(d + k + i), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p),
                      LICE_GETA(p), w);
    }
  }
}

// Plain copies of the nearest source pixels: each destination row that samples the same
// source row as the one before it is that row again.
void NearestCopy(const ScaleJob& j) {
  int xa, xb;
  SampleRun(j, 0, j.clipright - 1, &xa, &xb);
  if (xb <= xa) return;
  LICE_pixel* drow = j.dest;
  const LICE_pixel* last = nullptr;
  fix_t lastsy = -1, cury = j.icury;
  const fix_t x0 = j.icurx + j.idx * xa;
  for (int y = 0; y < j.h; y++, cury += j.idy, drow += j.dspan) {
    const fix_t sy = cury >> 16;
    if (!Inside(sy, j.clipbottom)) continue;
    if (last && sy == lastsy) {
      memcpy(drow + xa, last + xa, (size_t)(xb - xa) * sizeof(LICE_pixel));
    } else {
      const LICE_pixel* srow = j.src + sy * j.sspan;
      fix_t curx = x0;
      int x = xa;
      if (j.idx == 0x20000) {
        // Every other source pixel: the even ones of each pair of four.
        const LICE_pixel* s = srow + (x0 >> 16);
        for (; x + 4 < xb; x += 4, s += 8) { // s[7] lies before the next sample
          const __m128 a = _mm_loadu_ps((const float*)s), b = _mm_loadu_ps((const float*)(s + 4));
          _mm_storeu_ps((float*)(drow + x), _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        }
        curx += (fix_t)(x - xa) * j.idx;
      }
      for (; x < xb; x++, curx += j.idx) drow[x] = srow[curx >> 16];
    }
    last = drow;
    lastsy = sy;
  }
}

template <class COMBFUNC> struct _LICE_Template_Blit0 {
  static void scaleBlitFAST(const ScaleJob& j) {
    if (std::is_same<COMBFUNC, _LICE_CombinePixelsClobberFAST>::value && j.distinct &&
        LICE_fastpaths_enabled) {
      NearestCopy(j);
      return;
    }
    NearestWalk(j, [](LICE_pixel* d, LICE_pixel s) { COMBFUNC::doPixFAST(d, s); });
  }
};

// The 3 x 3 box average of the pixels from p (rows span apart), per channel in 16-bit lanes:
// a sum s of nine channels (at most 2295) divided by 9 is exactly (s x 7282) >> 16.
inline LICE_pixel Box3Average(const LICE_pixel* p, int span) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = zero, hi = zero; // pixels 0, 1 and pixel 2 of each row
  for (int k = 0; k < 3; k++, p += span) {
    lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)p), zero));
    hi = _mm_add_epi16(hi, _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)p[2]), zero));
  }
  const __m128i sum = _mm_add_epi16(_mm_add_epi16(lo, hi), _mm_srli_si128(lo, 8));
  const __m128i avg = _mm_mulhi_epu16(sum, _mm_set1_epi16(7282));
  return (LICE_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(avg, avg));
}

template <class COMBFUNC> struct _LICE_Template_Blit2 {
  static void scaleBlit(const ScaleJob& j, int w, int filtermode) {
    if (filtermode != LICE_BLIT_FILTER_BILINEAR) {
      NearestWalk(j, [w](LICE_pixel* d, LICE_pixel s) {
        COMBFUNC::doPix((LICE_pixel_chan*)d, LICE_GETR(s), LICE_GETG(s), LICE_GETB(s), LICE_GETA(s),
                        w);
      });
      return;
    }
    // The columns whose samples have a right neighbour in the window go to the vector rows.
    int vxa = 0, vxb = 0;
    if (VectorRows(j)) SampleRun(j, 0, j.clipright - 2, &vxa, &vxb);
    LICE_pixel* drow = j.dest;
    fix_t cury = j.icury;
    for (int y = 0; y < j.h; y++, cury += j.idy, drow += j.dspan) {
      const fix_t sy = cury >> 16;
      if (!Inside(sy, j.clipbottom)) continue;
      const unsigned int fy = (unsigned int)(cury & 0xFFFF);
      const LICE_pixel* srow = j.src + sy * j.sspan;
      const bool lastrow = sy == j.clipbottom - 1;
      auto plain = [&](int x0, int x1) {
        fix_t curx = j.icurx + (fix_t)x0 * j.idx;
        for (int x = x0; x < x1; x++, curx += j.idx) {
          const fix_t sx = curx >> 16;
          if (!Inside(sx, j.clipright)) continue;
          const unsigned int fx = (unsigned int)(curx & 0xFFFF);
          const LICE_pixel* p = srow + sx;
          const bool lastcol = sx == j.clipright - 1;
          int r, g, b, a;
          __LICE_SampleBilinear(&r, &g, &b, &a, p, j.sspan, lastrow, lastcol, fx, fy);
          COMBFUNC::doPix((LICE_pixel_chan*)(drow + x), r, g, b, a, w);
        }
      };
      const int xa = lastrow ? 0 : vxa, xb = lastrow ? 0 : vxb;
      plain(0, xa);
      PutSamples<COMBFUNC>(drow + xa, xb - xa, w, [&](LICE_pixel* out, int k, int m) {
        // Columns go here only when VectorRows chose the vector rows (none otherwise).
        const bool done =
            _LICE_BilinearRow(out, srow, j.sspan, m, j.icurx + (fix_t)(xa + k) * j.idx, j.idx, fy);
        assert(done || m == 0);
        (void)done;
      });
      plain(xb, j.w);
    }
  }

  // Box average of an n x n kernel around each sample (n odd); pixels outside the window
  // are left out of the average.
  template <int n> static void scaleBlitFilterDown(const ScaleJob& j, int w) {
    LICE_pixel* drow = j.dest;
    fix_t cury = j.icury;
    const int half = n / 2;
    const bool vec = LICE_fastpaths_enabled && LICE_GetSimdLevel() != LICE_SIMD_NONE;
    // The columns whose 3 x 3 kernel lies inside the window go to the vector rows.
    int vxa = 0, vxb = 0;
    if (n == 3 && VectorRows(j)) SampleRun(j, 1, j.clipright - 2, &vxa, &vxb);
    for (int y = 0; y < j.h; y++, cury += j.idy, drow += j.dspan) {
      const fix_t sy = cury >> 16;
      if (!Inside(sy, j.clipbottom)) continue;
      auto plain = [&](int x0, int x1) {
        fix_t curx = j.icurx + (fix_t)x0 * j.idx;
        for (int x = x0; x < x1; x++, curx += j.idx) {
          const fix_t sx = curx >> 16;
          if (!Inside(sx, j.clipright)) continue;
          unsigned int sr = 0, sg = 0, sb = 0, sa = 0, total = 0;
          if (sy >= half && sy + half < j.clipbottom && sx >= half && sx + half < j.clipright) {
            // The whole kernel lies inside the window: no per-pixel tests.
            const LICE_pixel* krow = j.src + (sy - half) * j.sspan + (sx - half);
            if (n == 3 && vec) {
              const LICE_pixel p = Box3Average(krow, j.sspan);
              COMBFUNC::doPix((LICE_pixel_chan*)(drow + x), LICE_GETR(p), LICE_GETG(p),
                              LICE_GETB(p), LICE_GETA(p), w);
              continue;
            }
            for (int ky = 0; ky < n; ky++, krow += j.sspan)
              for (int kx = 0; kx < n; kx++) {
                const LICE_pixel p = krow[kx];
                sr += LICE_GETR(p);
                sg += LICE_GETG(p);
                sb += LICE_GETB(p);
                sa += LICE_GETA(p);
              }
            // A constant divisor, so the compiler divides by multiplying.
            COMBFUNC::doPix((LICE_pixel_chan*)(drow + x), (int)(sr / (n * n)), (int)(sg / (n * n)),
                            (int)(sb / (n * n)), (int)(sa / (n * n)), w);
            continue;
          }
          for (fix_t ky = sy - half; ky <= sy + half; ky++) {
            if (ky >= j.clipbottom) break;
            if (ky < 0) continue;
            const LICE_pixel* krow = j.src + ky * j.sspan;
            for (fix_t kx = sx - half; kx <= sx + half; kx++) {
              if (!Inside(kx, j.clipright)) continue;
              const LICE_pixel p = krow[kx];
              sr += LICE_GETR(p);
              sg += LICE_GETG(p);
              sb += LICE_GETB(p);
              sa += LICE_GETA(p);
              total++;
            }
          }
          if (total)
            COMBFUNC::doPix((LICE_pixel_chan*)(drow + x), (int)(sr / total), (int)(sg / total),
                            (int)(sb / total), (int)(sa / total), w);
        }
      };
      const bool rows = sy >= 1 && sy + 1 < j.clipbottom;
      const int xa = rows ? vxa : 0, xb = rows ? vxb : 0;
      plain(0, xa);
      const LICE_pixel* top = rows ? j.src + (sy - 1) * j.sspan : j.src;
      PutSamples<COMBFUNC>(drow + xa, xb - xa, w, [&](LICE_pixel* out, int k, int m) {
        const bool done =
            _LICE_Box3Row(out, top, j.sspan, m, j.icurx + (fix_t)(xa + k) * j.idx, j.idx);
        assert(done || m == 0);
        (void)done;
      });
      plain(xb, j.w);
    }
  }
};

// floor(v * 65536), held within 2^50 so that the sums below stay inside 64 bits.
fix_t ToFix(double v) {
  v = std::floor(v * 65536.0);
  const double lim = 1125899906842624.0; // 2^50
  if (v > lim) v = lim;
  if (v < -lim) v = -lim;
  return (fix_t)v;
}

// One axis of the destination (position pos, length len) against a source of srclen
// pixels, sampled from icur by step: cuts what lies so far out that positions would pass
// 2^62, then (for a positive step) skips the pixels whose samples lie before the source and
// drops those past it.
void PreClip(fix_t* icur, fix_t step, int64_t* pos, int64_t* len, int srclen) {
  const fix_t fixlim = (fix_t)1 << 62, fixmax = (fix_t)1 << 50;
  const fix_t mag = step < 0 ? -step : step;
  if (mag != 0 && *len > (fixlim - fixmax) / mag) *len = (fixlim - fixmax) / mag;
  if (step <= 0) return;
  if (*icur < 0) {
    const fix_t n = (step - 1 - *icur) / step;
    *len -= n;
    *pos += n;
    *icur += n * step;
  }
  if (*len > 0 && *icur + step * (*len - 1) >= (fix_t)srclen * 65536) {
    const fix_t n = ((fix_t)(srclen - 1) * 65536 - *icur) / step;
    if (n < *len) *len = n;
  }
}

} // namespace

void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode) {
  if (!dest || !src || !dstw || !dsth || alpha == 0.0f) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) ||
      !std::isfinite(srch) || !_LICE_AlphaUsable(alpha))
    return;

  // Equal sizes at whole positions are a plain blit.
  if (std::fabs(srcw - dstw) < 0.001 && std::fabs(srch - dsth) < 0.001 &&
      ((mode & LICE_BLIT_FILTER_MASK) != LICE_BLIT_FILTER_BILINEAR ||
       (std::fabs(srcx - std::floor(srcx + 0.5)) < 0.03 &&
        std::fabs(srcy - std::floor(srcy + 0.5)) < 0.03))) {
    const double l = std::floor(srcx + 0.5), t = std::floor(srcy + 0.5);
    if (std::fabs(l) < 1e9 && std::fabs(t) < 1e9) {
      RECT sr;
      sr.left = (int)(srcx + 0.5);
      sr.top = (int)(srcy + 0.5);
      sr.right = (int)((int64_t)sr.left + dstw);
      sr.bottom = (int)((int64_t)sr.top + dsth);
      if ((int64_t)sr.left + dstw == sr.right && (int64_t)sr.top + dsth == sr.bottom)
        LICE_Blit(dest, src, dstx, dsty, &sr, alpha, mode);
    }
    return;
  }

  int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  __LICE_MirrorAxis(&dx, &dw, &sx, &sw);
  __LICE_MirrorAxis(&dy, &dh, &sy, &sh);
  const float xadvance = (float)sw / (float)dw, yadvance = (float)sh / (float)dh;
  if (dx < 0) {
    sx -= (double)dx * xadvance;
    dw += dx;
    dx = 0;
  }
  if (dy < 0) {
    sy -= (double)dy * yadvance;
    dh += dy;
    dy = 0;
  }
  if (!__LICE_FitToBitmap(dest, dx, dy, &dw, &dh)) return;
  const int destH = dest->getHeight();

  fix_t icurx = ToFix(sx), icury = ToFix(sy);
  const fix_t idx = ToFix(xadvance), idy = ToFix(yadvance);
  const int srcW = src->getWidth(), srcH = src->getHeight();
  PreClip(&icurx, idx, &dx, &dw, srcW);
  PreClip(&icury, idy, &dy, &dh, srcH);
  if (dw < 1 || dh < 1) return;

  LICE_pixel* dbits = dest->getBits();
  LICE_pixel* sbits = src->getBits();
  if (!dbits || !sbits || srcW < 1 || srcH < 1) return;

  // The source window: from the smallest column and row touched (never left of or above the
  // source, which a mirrored rectangle starting outside it would otherwise reach) to the
  // rectangle's far edges.
  fix_t srcx0 = (icurx + (idx < 0 ? idx * dw : 0)) / 65536;
  fix_t srcy0 = (icury + (idy < 0 ? idy * dh : 0)) / 65536;
  if (srcx0 < 0) srcx0 = 0;
  if (srcy0 < 0) srcy0 = 0;
  double rlim = std::floor(sx + (sw > 0 ? sw : 0.0) + 0.999999);
  double blim = std::floor(sy + (sh > 0 ? sh : 0.0) + 0.999999);
  if (rlim > srcW) rlim = srcW;
  if (blim > srcH) blim = srcH;
  if (rlim - (double)srcx0 < 1.0 || blim - (double)srcy0 < 1.0) return;

  ScaleJob j;
  j.clipright = (int)(rlim - (double)srcx0);
  j.clipbottom = (int)(blim - (double)srcy0);
  j.icurx = icurx - srcx0 * 65536;
  j.icury = icury - srcy0 * 65536;
  j.idx = idx;
  j.idy = idy;
  j.distinct = src != dest;
  j.w = (int)dw;
  j.h = (int)dh;
  j.src = __LICE_PixelAt(sbits, src->getRowSpan(), srcH, src->isFlipped(), srcx0, srcy0, &j.sspan);
  j.dest = __LICE_PixelAt(dbits, dest->getRowSpan(), destH, dest->isFlipped(), dx, dy, &j.dspan);

  const int w = (int)(alpha * 256.0f);
  const int filter = mode & LICE_BLIT_FILTER_MASK;
  if (_LICE_BlitKey(mode) == LICE_BLIT_MODE_COPY && !filter && (w == 256 || w == 128)) {
    if (w == 256)
      _LICE_Template_Blit0<_LICE_CombinePixelsClobberFAST>::scaleBlitFAST(j);
    else
      _LICE_Template_Blit0<_LICE_CombinePixelsHalfMixFAST>::scaleBlitFAST(j);
    return;
  }
  const bool down = xadvance >= 1.7f && yadvance >= 1.7f && filter == LICE_BLIT_FILTER_BILINEAR;
  // The kernel's off-centre weights, (S - 1) / distance with S the 16.16 step itself, all
  // saturate at full on this path (S >= 1.7 x 65536): the kernel is a plain box.
  const int kn = (idx > idy ? idx : idy) < 0x30001 ? 3 : 5;
  LICE_DispatchOperator<LICE_CopyRule::Blit>(_LICE_BlitKey(mode), w, [&](auto op) {
    typedef _LICE_Template_Blit2<decltype(op)> B;
    if (!down)
      B::scaleBlit(j, w, filter);
    else if (kn == 3)
      B::template scaleBlitFilterDown<3>(j, w);
    else
      B::template scaleBlitFilterDown<5>(j, w);
  });
}
