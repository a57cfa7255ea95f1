#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_combine.h"

#include <cstdint>
#include <cstring>

bool LICE_fastpaths_enabled = true;

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

int Detect() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? LICE_SIMD_AVX2 : LICE_SIMD_SSE2;
}
const int s_supported = Detect();
int s_level = s_supported;

// ---- SSE2: 4 pixels per step.

// The copy formula c + ((d - c) x k) / 256 for 16 channels, the division truncating toward
// zero: c + t when d >= c, c - t otherwise, with t = (|d - c| x k) >> 8. k8lo and k8hi hold
// k << 8 (k 0..255) in the 16-bit lanes of the low and the high 8 channels.
inline __m128i CopyChannels(__m128i d, __m128i c, __m128i k8lo, __m128i k8hi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i cd = _mm_subs_epu8(c, d), dc = _mm_subs_epu8(d, c);
  const __m128i diff = _mm_or_si128(cd, dc);
  const __m128i dge = _mm_cmpeq_epi8(cd, zero);
  const __m128i tlo = _mm_mulhi_epu16(_mm_unpacklo_epi8(diff, zero), k8lo);
  const __m128i thi = _mm_mulhi_epu16(_mm_unpackhi_epi8(diff, zero), k8hi);
  const __m128i t = _mm_packus_epi16(tlo, thi);
  return _mm_or_si128(_mm_and_si128(dge, _mm_add_epi8(c, t)),
                      _mm_andnot_si128(dge, _mm_sub_epi8(c, t)));
}

// inverted16: two pixels with every byte inverted (255 - x) and moved to the high byte of a
// 16-bit lane. Answers (255 - alpha) << 8 of each pixel in all four of its lanes.
inline __m128i InvAlpha8(__m128i inverted16) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(inverted16, 0xFF), 0xFF);
}

void SourceAlphaTail(LICE_pixel* dest, const LICE_pixel* src, int x, int w) {
  for (; x < w; x++) {
    const LICE_pixel p = src[x];
    _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix(
        (LICE_pixel_chan*)(dest + x), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p), 256);
  }
}

void BlitSourceAlphaSSE2(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
                         int dest_span) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i amask = _mm_set1_epi32((int)0xFF000000);
  for (; h > 0; h--, dest += dest_span, src += src_span) {
    int x = 0;
    for (; x + 4 <= w; x += 4) {
      const __m128i s = _mm_loadu_si128((const __m128i*)(src + x));
      const __m128i sa = _mm_and_si128(s, amask);
      const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(sa, amask));
      if (opaque == 0xFFFF) {
        _mm_storeu_si128((__m128i*)(dest + x), s);
        continue;
      }
      const __m128i clear = _mm_cmpeq_epi32(sa, zero);
      if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
      const __m128i d = _mm_loadu_si128((const __m128i*)(dest + x));
      const __m128i ns = _mm_xor_si128(s, _mm_set1_epi32(-1));
      const __m128i klo = InvAlpha8(_mm_unpacklo_epi8(zero, ns));
      const __m128i khi = InvAlpha8(_mm_unpackhi_epi8(zero, ns));
      const __m128i rgb = CopyChannels(d, s, klo, khi);
      const __m128i alpha = _mm_adds_epu8(d, s); // min(255, d + ca)
      __m128i res = _mm_or_si128(_mm_andnot_si128(amask, rgb), _mm_and_si128(amask, alpha));
      res = _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, res));
      _mm_storeu_si128((__m128i*)(dest + x), res);
    }
    SourceAlphaTail(dest, src, x, w);
  }
}

void FillWordsSSE2(LICE_pixel* dest, int w, int h, LICE_pixel color, int span) {
  const __m128i c = _mm_set1_epi32((int)color);
  for (; h > 0; h--, dest += span) {
    int x = 0;
    for (; x + 4 <= w; x += 4) _mm_storeu_si128((__m128i*)(dest + x), c);
    for (; x < w; x++) dest[x] = color;
  }
}

// With c and k fixed: c + trunc((d - c) k / 256) = (d k + c (256 - k) + (d < c ? 255 : 0)) >> 8,
// which stays within 16 bits.
void FillCopySSE2(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span) {
  const int k = 256 - ia;
  const __m128i zero = _mm_setzero_si128();
  const __m128i kk = _mm_set1_epi16((short)k);
  const __m128i c16 = _mm_set_epi16(ia, r, g, b, ia, r, g, b);
  const __m128i base =
      _mm_set_epi16((short)(ia * ia), (short)(r * ia), (short)(g * ia), (short)(b * ia),
                    (short)(ia * ia), (short)(r * ia), (short)(g * ia), (short)(b * ia));
  const __m128i b255 = _mm_set1_epi16(255);
  for (; h > 0; h--, dest += span) {
    int x = 0;
    for (; x + 4 <= w; x += 4) {
      const __m128i d = _mm_loadu_si128((const __m128i*)(dest + x));
      const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
      const __m128i blo = _mm_and_si128(_mm_cmpgt_epi16(c16, dlo), b255);
      const __m128i bhi = _mm_and_si128(_mm_cmpgt_epi16(c16, dhi), b255);
      const __m128i rlo =
          _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(dlo, kk), base), blo), 8);
      const __m128i rhi =
          _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(dhi, kk), base), bhi), 8);
      _mm_storeu_si128((__m128i*)(dest + x), _mm_packus_epi16(rlo, rhi));
    }
    for (; x < w; x++)
      _LICE_CombinePixelsCopyNoClamp::doPix((LICE_pixel_chan*)(dest + x), r, g, b, ia, ia);
  }
}

// Per-pixel weights of 4 mask bytes (in the low 32 bits of m) as k = 256 - w in 16-bit
// lanes, and in keep the pixels left as they are (mask 0, or weight 0).
inline __m128i GlyphK(__m128i m, int a, __m128i* keep) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i v = _mm_unpacklo_epi8(m, zero);
  __m128i w = a == 256 ? _mm_add_epi16(v, _mm_set1_epi16(1))
                       : _mm_srli_epi16(_mm_mullo_epi16(v, _mm_set1_epi16((short)a)), 8);
  w = _mm_andnot_si128(_mm_cmpeq_epi16(v, zero), w);
  *keep = _mm_cmpeq_epi16(w, zero);
  return _mm_sub_epi16(_mm_set1_epi16(256), w);
}

void GlyphTail(const unsigned char* mask, LICE_pixel* dest, int x, int w, int r, int g, int b,
               int a) {
  for (; x < w; x++) {
    const int v = mask[x];
    if (!v) continue;
    int wt = a == 256 ? v + 1 : v * a / 256;
    if (wt > 256) wt = 256;
    _LICE_CombinePixelsCopyNoClamp::doPix((LICE_pixel_chan*)(dest + x), r, g, b, 255, wt);
  }
}

// Four pixels of a glyph; c is the colour in every pixel.
inline void Glyph4(const unsigned char* mask, LICE_pixel* dest, __m128i c, int a) {
  int m4;
  memcpy(&m4, mask, 4);
  if (!m4) return;
  __m128i keep;
  const __m128i k = GlyphK(_mm_cvtsi32_si128(m4), a, &keep);
  const __m128i k8 = _mm_slli_epi16(k, 8);
  const __m128i kk = _mm_unpacklo_epi16(k8, k8);
  const __m128i klo = _mm_unpacklo_epi32(kk, kk), khi = _mm_unpackhi_epi32(kk, kk);
  const __m128i keep32 = _mm_unpacklo_epi16(keep, keep);
  const __m128i d = _mm_loadu_si128((const __m128i*)dest);
  const __m128i res = CopyChannels(d, c, klo, khi);
  _mm_storeu_si128((__m128i*)dest,
                   _mm_or_si128(_mm_and_si128(keep32, d), _mm_andnot_si128(keep32, res)));
}

void GlyphCopySSE2(const unsigned char* mask, int mask_span, LICE_pixel* dest, int dest_span, int w,
                   int h, int r, int g, int b, int a) {
  const __m128i c = _mm_set1_epi32((int)LICE_RGBA(r, g, b, 255));
  for (; h > 0; h--, mask += mask_span, dest += dest_span) {
    int x = 0;
    for (; x + 4 <= w; x += 4) Glyph4(mask + x, dest + x, c, a);
    GlyphTail(mask, dest, x, w, r, g, b, a);
  }
}

// ---- Bilinear rows. The sum p00 f00 + p10 f10 + p01 f01 + p11 f11 of each channel is
// 256 x (the same sum over the weights' high bytes) + (the sum over their low bytes): every
// byte weight fits a signed 16-bit lane, so _mm_madd_epi16 forms the sums of the pixel pairs
// (p00, p10) and (p01, p11) exactly.

// Weights of four samples (fx in the low 16 bits of each 32-bit lane, fy likewise) as madd
// pairs: w[0], w[1] the high and low bytes of (f00, f10), w[2], w[3] those of (f01, f11).
inline void BilinearWeights(__m128i fx, __m128i fy, __m128i w[4]) {
  const __m128i f11 = _mm_mulhi_epu16(fx, fy); // (fx x fy) >> 16; the upper halves stay 0
  const __m128i f10 = _mm_sub_epi32(fx, f11), f01 = _mm_sub_epi32(fy, f11);
  const __m128i f00 =
      _mm_sub_epi32(_mm_add_epi32(_mm_set1_epi32(0x10000), f11), _mm_add_epi32(fx, fy));
  const __m128i low = _mm_set1_epi32(255);
  w[0] = _mm_or_si128(_mm_srli_epi32(f00, 8), _mm_slli_epi32(_mm_srli_epi32(f10, 8), 16));
  w[1] = _mm_or_si128(_mm_and_si128(f00, low), _mm_slli_epi32(_mm_and_si128(f10, low), 16));
  w[2] = _mm_or_si128(_mm_srli_epi32(f01, 8), _mm_slli_epi32(_mm_srli_epi32(f11, 8), 16));
  w[3] = _mm_or_si128(_mm_and_si128(f01, low), _mm_slli_epi32(_mm_and_si128(f11, low), 16));
}

// Two neighbouring pixels as the 16-bit lanes B0 B1 G0 G1 R0 R1 A0 A1.
inline __m128i PairChannels(const LICE_pixel* p) {
  const __m128i u = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)p), _mm_setzero_si128());
  return _mm_unpacklo_epi16(u, _mm_srli_si128(u, 8));
}

// Sample K of the four whose weights are w: its channels in 32-bit lanes.
template <int K> inline __m128i BilinearSample(const LICE_pixel* p, int sspan, const __m128i w[4]) {
  const __m128i t = PairChannels(p), b = PairChannels(p + sspan);
  const __m128i hi = _mm_add_epi32(_mm_madd_epi16(t, _mm_shuffle_epi32(w[0], K * 0x55)),
                                   _mm_madd_epi16(b, _mm_shuffle_epi32(w[2], K * 0x55)));
  const __m128i lo = _mm_add_epi32(_mm_madd_epi16(t, _mm_shuffle_epi32(w[1], K * 0x55)),
                                   _mm_madd_epi16(b, _mm_shuffle_epi32(w[3], K * 0x55)));
  return _mm_srli_epi32(_mm_add_epi32(_mm_slli_epi32(hi, 8), lo), 16);
}

// Only the low 16 bits of each position serve as a weight, so 32-bit lanes that wrap hold
// them exactly.
inline __m128i Positions4(int64_t curx, int64_t idx) {
  const uint32_t c = (uint32_t)curx, s = (uint32_t)idx;
  return _mm_setr_epi32((int)c, (int)(c + s), (int)(c + 2 * s), (int)(c + 3 * s));
}

void BilinearRowSSE2(LICE_pixel* out, const LICE_pixel* src, int sspan, int n, int64_t curx,
                     int64_t idx, unsigned int fy) {
  const __m128i vfy = _mm_set1_epi32((int)fy), low16 = _mm_set1_epi32(0xFFFF);
  for (int x = 0; x < n; x += 4, curx += 4 * idx) {
    __m128i w[4];
    BilinearWeights(_mm_and_si128(Positions4(curx, idx), low16), vfy, w);
    const int m = n - x < 4 ? n - x : 4;
    const __m128i r0 = BilinearSample<0>(src + (curx >> 16), sspan, w);
    const __m128i r1 = m > 1 ? BilinearSample<1>(src + ((curx + idx) >> 16), sspan, w) : r0;
    const __m128i r2 = m > 2 ? BilinearSample<2>(src + ((curx + 2 * idx) >> 16), sspan, w) : r0;
    const __m128i r3 = m > 3 ? BilinearSample<3>(src + ((curx + 3 * idx) >> 16), sspan, w) : r0;
    const __m128i px = _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
    if (m == 4) {
      _mm_storeu_si128((__m128i*)(out + x), px);
    } else {
      LICE_pixel tmp[4];
      _mm_storeu_si128((__m128i*)tmp, px);
      memcpy(out + x, tmp, (size_t)m * sizeof(LICE_pixel));
    }
  }
}

// ---- 3 x 3 box rows: the three rows are summed once per column into 16-bit lanes, then
// each sample adds three neighbouring column sums. A sum s of nine channels (at most 2295)
// divided by 9 is exactly (s x 7282) >> 16.

const int kBoxChunk = 128; // samples per pass (even): at most 3 x 127 + 4 columns

// Column sums of columns [0, nc) of the rows from r (rows sspan apart), 4 lanes per column.
void ColumnSums3(uint16_t* sums, const LICE_pixel* r, int sspan, int nc) {
  const __m128i zero = _mm_setzero_si128();
  const LICE_pixel *r1 = r + sspan, *r2 = r1 + sspan;
  int c = 0;
  for (; c + 4 <= nc; c += 4) {
    const __m128i a = _mm_loadu_si128((const __m128i*)(r + c)),
                  b = _mm_loadu_si128((const __m128i*)(r1 + c)),
                  d = _mm_loadu_si128((const __m128i*)(r2 + c));
    const __m128i lo =
        _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                      _mm_unpacklo_epi8(d, zero));
    const __m128i hi =
        _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)),
                      _mm_unpackhi_epi8(d, zero));
    _mm_storeu_si128((__m128i*)(sums + 4 * c), lo);
    _mm_storeu_si128((__m128i*)(sums + 4 * c + 8), hi);
  }
  for (; c < nc; c++) {
    auto one = [&](const LICE_pixel* p) {
      return _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)p[c]), zero);
    };
    _mm_storel_epi64((__m128i*)(sums + 4 * c),
                     _mm_add_epi16(_mm_add_epi16(one(r), one(r1)), one(r2)));
  }
}

// The box sum around the column at sums + 4 (the columns before and after it included).
inline __m128i BoxSum3(const uint16_t* s) {
  const __m128i ab = _mm_loadu_si128((const __m128i*)s);
  return _mm_add_epi16(_mm_add_epi16(ab, _mm_srli_si128(ab, 8)),
                       _mm_loadl_epi64((const __m128i*)(s + 8)));
}

void Box3RowSSE2(LICE_pixel* out, const LICE_pixel* top, int sspan, int n, int64_t curx,
                 int64_t idx) {
  uint16_t sums[4 * (3 * kBoxChunk + 8)];
  const __m128i ninth = _mm_set1_epi16(7282);
  while (n > 0) {
    const int m = n < kBoxChunk ? n : kBoxChunk;
    const int64_t c0 = (curx >> 16) - 1, c1 = ((curx + (m - 1) * idx) >> 16) + 2;
    ColumnSums3(sums, top + c0, sspan, (int)(c1 - c0));
    int x = 0;
    for (; x + 2 <= m; x += 2, curx += 2 * idx) {
      const __m128i a = BoxSum3(sums + 4 * ((curx >> 16) - 1 - c0));
      const __m128i b = BoxSum3(sums + 4 * (((curx + idx) >> 16) - 1 - c0));
      const __m128i avg = _mm_mulhi_epu16(_mm_unpacklo_epi64(a, b), ninth);
      _mm_storel_epi64((__m128i*)(out + x), _mm_packus_epi16(avg, avg));
    }
    if (x < m) {
      const __m128i avg = _mm_mulhi_epu16(BoxSum3(sums + 4 * ((curx >> 16) - 1 - c0)), ninth);
      out[x] = (LICE_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(avg, avg));
    }
    out += m;
    n -= m;
  }
}

// ---- AVX2: 8 pixels per step. The unpack, pack and shuffle steps work within each 128-bit
// half, so every pixel meets the same arithmetic as in the SSE2 forms.

#define QV_AVX2 __attribute__((target("avx2")))

QV_AVX2 inline __m256i CopyChannels8(__m256i d, __m256i c, __m256i k8lo, __m256i k8hi) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i cd = _mm256_subs_epu8(c, d), dc = _mm256_subs_epu8(d, c);
  const __m256i diff = _mm256_or_si256(cd, dc);
  const __m256i dge = _mm256_cmpeq_epi8(cd, zero);
  const __m256i tlo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(diff, zero), k8lo);
  const __m256i thi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(diff, zero), k8hi);
  const __m256i t = _mm256_packus_epi16(tlo, thi);
  return _mm256_blendv_epi8(_mm256_sub_epi8(c, t), _mm256_add_epi8(c, t), dge);
}

QV_AVX2 inline __m256i InvAlpha8x(__m256i inverted16) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(inverted16, 0xFF), 0xFF);
}

QV_AVX2 void BlitSourceAlphaAVX2(LICE_pixel* dest, const LICE_pixel* src, int w, int h,
                                 int src_span, int dest_span) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i amask = _mm256_set1_epi32((int)0xFF000000);
  const __m256i ones = _mm256_set1_epi32(-1);
  for (; h > 0; h--, dest += dest_span, src += src_span) {
    int x = 0;
    for (; x + 8 <= w; x += 8) {
      const __m256i s = _mm256_loadu_si256((const __m256i*)(src + x));
      const __m256i sa = _mm256_and_si256(s, amask);
      if (_mm256_testc_si256(sa, amask)) { // all opaque
        _mm256_storeu_si256((__m256i*)(dest + x), s);
        continue;
      }
      if (_mm256_testz_si256(sa, amask)) continue; // all clear
      const __m256i clear = _mm256_cmpeq_epi32(sa, zero);
      const __m256i d = _mm256_loadu_si256((const __m256i*)(dest + x));
      const __m256i ns = _mm256_xor_si256(s, ones);
      const __m256i klo = InvAlpha8x(_mm256_unpacklo_epi8(zero, ns));
      const __m256i khi = InvAlpha8x(_mm256_unpackhi_epi8(zero, ns));
      const __m256i rgb = CopyChannels8(d, s, klo, khi);
      const __m256i alpha = _mm256_adds_epu8(d, s);
      __m256i res = _mm256_blendv_epi8(rgb, alpha, amask);
      res = _mm256_blendv_epi8(res, d, clear);
      _mm256_storeu_si256((__m256i*)(dest + x), res);
    }
    SourceAlphaTail(dest, src, x, w);
  }
}

// Aligned 32-byte stores, four per step, between one unaligned store at each end (the ends
// overlap the aligned run); a rectangle whose rows touch is one long row, and a row of
// fewer than 8 pixels is one masked store.
QV_AVX2 void FillWordsAVX2(LICE_pixel* dest, int w, int h, LICE_pixel color, int span) {
  const __m256i c = _mm256_set1_epi32((int)color);
  int64_t n = w;
  if (span == w) {
    n = (int64_t)w * h;
    h = 1;
  }
  if (n < 8) {
    const __m256i mask =
        _mm256_cmpgt_epi32(_mm256_set1_epi32((int)n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    for (; h > 0; h--, dest += span) _mm256_maskstore_epi32((int*)dest, mask, c);
    return;
  }
  for (; h > 0; h--, dest += span) {
    LICE_pixel* const end = dest + n;
    _mm256_storeu_si256((__m256i*)dest, c);
    LICE_pixel* p = (LICE_pixel*)(((uintptr_t)dest + 32) & ~(uintptr_t)31);
    for (; p + 32 <= end; p += 32) {
      _mm256_store_si256((__m256i*)p, c);
      _mm256_store_si256((__m256i*)(p + 8), c);
      _mm256_store_si256((__m256i*)(p + 16), c);
      _mm256_store_si256((__m256i*)(p + 24), c);
    }
    for (; p + 8 <= end; p += 8) _mm256_store_si256((__m256i*)p, c);
    _mm256_storeu_si256((__m256i*)(end - 8), c);
  }
}

QV_AVX2 void FillCopyAVX2(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span) {
  const int k = 256 - ia;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i kk = _mm256_set1_epi16((short)k);
  const __m256i c16 = _mm256_setr_epi16(b, g, r, ia, b, g, r, ia, b, g, r, ia, b, g, r, ia);
  const __m256i base = _mm256_mullo_epi16(c16, _mm256_set1_epi16((short)ia));
  const __m256i b255 = _mm256_set1_epi16(255);
  for (; h > 0; h--, dest += span) {
    int x = 0;
    for (; x + 8 <= w; x += 8) {
      const __m256i d = _mm256_loadu_si256((const __m256i*)(dest + x));
      const __m256i dlo = _mm256_unpacklo_epi8(d, zero), dhi = _mm256_unpackhi_epi8(d, zero);
      const __m256i blo = _mm256_and_si256(_mm256_cmpgt_epi16(c16, dlo), b255);
      const __m256i bhi = _mm256_and_si256(_mm256_cmpgt_epi16(c16, dhi), b255);
      const __m256i rlo = _mm256_srli_epi16(
          _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(dlo, kk), base), blo), 8);
      const __m256i rhi = _mm256_srli_epi16(
          _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(dhi, kk), base), bhi), 8);
      _mm256_storeu_si256((__m256i*)(dest + x), _mm256_packus_epi16(rlo, rhi));
    }
    for (; x < w; x++)
      _LICE_CombinePixelsCopyNoClamp::doPix((LICE_pixel_chan*)(dest + x), r, g, b, ia, ia);
  }
}

// Weights of eight samples as madd pairs, as BilinearWeights.
QV_AVX2 inline void BilinearWeights8(__m256i fx, __m256i fy, __m256i w[4]) {
  const __m256i f11 = _mm256_mulhi_epu16(fx, fy);
  const __m256i f10 = _mm256_sub_epi32(fx, f11), f01 = _mm256_sub_epi32(fy, f11);
  const __m256i f00 =
      _mm256_sub_epi32(_mm256_add_epi32(_mm256_set1_epi32(0x10000), f11), _mm256_add_epi32(fx, fy));
  const __m256i low = _mm256_set1_epi32(255);
  w[0] =
      _mm256_or_si256(_mm256_srli_epi32(f00, 8), _mm256_slli_epi32(_mm256_srli_epi32(f10, 8), 16));
  w[1] = _mm256_or_si256(_mm256_and_si256(f00, low),
                         _mm256_slli_epi32(_mm256_and_si256(f10, low), 16));
  w[2] =
      _mm256_or_si256(_mm256_srli_epi32(f01, 8), _mm256_slli_epi32(_mm256_srli_epi32(f11, 8), 16));
  w[3] = _mm256_or_si256(_mm256_and_si256(f01, low),
                         _mm256_slli_epi32(_mm256_and_si256(f11, low), 16));
}

// The pixel pairs at p (low half) and q (high half), each as PairChannels.
QV_AVX2 inline __m256i PairChannels2(const LICE_pixel* p, const LICE_pixel* q) {
  const __m256i v =
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)p)),
                              _mm_loadl_epi64((const __m128i*)q), 1);
  const __m256i order = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0,
                                         -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  return _mm256_shuffle_epi8(v, order);
}

// Samples K and K + 1 of the eight whose weights are w, at p and q: low half, high half.
template <int K>
QV_AVX2 inline __m256i BilinearSample2(const LICE_pixel* p, const LICE_pixel* q, int sspan,
                                       const __m256i w[4]) {
  const __m256i pick = _mm256_setr_epi32(K, K, K, K, K + 1, K + 1, K + 1, K + 1);
  const __m256i t = PairChannels2(p, q), b = PairChannels2(p + sspan, q + sspan);
  const __m256i hi =
      _mm256_add_epi32(_mm256_madd_epi16(t, _mm256_permutevar8x32_epi32(w[0], pick)),
                       _mm256_madd_epi16(b, _mm256_permutevar8x32_epi32(w[2], pick)));
  const __m256i lo =
      _mm256_add_epi32(_mm256_madd_epi16(t, _mm256_permutevar8x32_epi32(w[1], pick)),
                       _mm256_madd_epi16(b, _mm256_permutevar8x32_epi32(w[3], pick)));
  return _mm256_srli_epi32(_mm256_add_epi32(_mm256_slli_epi32(hi, 8), lo), 16);
}

QV_AVX2 void BilinearRowAVX2(LICE_pixel* out, const LICE_pixel* src, int sspan, int n, int64_t curx,
                             int64_t idx, unsigned int fy) {
  const __m256i vfy = _mm256_set1_epi32((int)fy), low16 = _mm256_set1_epi32(0xFFFF);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  int x = 0;
  for (; x + 8 <= n; x += 8, curx += 8 * idx) {
    const __m128i p4 = Positions4(curx, idx);
    const __m256i pos =
        _mm256_set_m128i(_mm_add_epi32(p4, _mm_set1_epi32((int)(4 * (uint32_t)idx))), p4);
    __m256i w[4];
    BilinearWeights8(_mm256_and_si256(pos, low16), vfy, w);
    const LICE_pixel* s[8];
    for (int k = 0; k < 8; k++) s[k] = src + ((curx + k * idx) >> 16);
    const __m256i r01 = BilinearSample2<0>(s[0], s[1], sspan, w);
    const __m256i r23 = BilinearSample2<2>(s[2], s[3], sspan, w);
    const __m256i r45 = BilinearSample2<4>(s[4], s[5], sspan, w);
    const __m256i r67 = BilinearSample2<6>(s[6], s[7], sspan, w);
    // Lanes hold samples 0 2 4 6 | 1 3 5 7 after the in-lane packs.
    const __m256i px =
        _mm256_packus_epi16(_mm256_packs_epi32(r01, r23), _mm256_packs_epi32(r45, r67));
    _mm256_storeu_si256((__m256i*)(out + x), _mm256_permutevar8x32_epi32(px, order));
  }
  if (x < n) BilinearRowSSE2(out + x, src, sspan, n - x, curx, idx, fy);
}

QV_AVX2 void GlyphCopyAVX2(const unsigned char* mask, int mask_span, LICE_pixel* dest,
                           int dest_span, int w, int h, int r, int g, int b, int a) {
  const __m256i c = _mm256_set1_epi32((int)LICE_RGBA(r, g, b, 255));
  const __m128i c4 = _mm_set1_epi32((int)LICE_RGBA(r, g, b, 255));
  const __m128i zero = _mm_setzero_si128();
  for (; h > 0; h--, mask += mask_span, dest += dest_span) {
    int x = 0;
    for (; x + 8 <= w; x += 8) {
      long long m8;
      memcpy(&m8, mask + x, 8);
      if (!m8) continue;
      const __m128i v = _mm_unpacklo_epi8(_mm_cvtsi64_si128(m8), zero);
      __m128i wt = a == 256 ? _mm_add_epi16(v, _mm_set1_epi16(1))
                            : _mm_srli_epi16(_mm_mullo_epi16(v, _mm_set1_epi16((short)a)), 8);
      wt = _mm_andnot_si128(_mm_cmpeq_epi16(v, zero), wt);
      const __m128i keep = _mm_cmpeq_epi16(wt, zero);
      const __m128i k8 = _mm_slli_epi16(_mm_sub_epi16(_mm_set1_epi16(256), wt), 8);
      // Pixels 0-3 in the low half, 4-7 in the high half, as the loads and unpacks see them.
      const __m256i kk = _mm256_set_m128i(_mm_unpackhi_epi16(k8, k8), _mm_unpacklo_epi16(k8, k8));
      const __m256i klo = _mm256_unpacklo_epi32(kk, kk), khi = _mm256_unpackhi_epi32(kk, kk);
      const __m256i keep32 =
          _mm256_set_m128i(_mm_unpackhi_epi16(keep, keep), _mm_unpacklo_epi16(keep, keep));
      const __m256i d = _mm256_loadu_si256((const __m256i*)(dest + x));
      const __m256i res = CopyChannels8(d, c, klo, khi);
      _mm256_storeu_si256((__m256i*)(dest + x), _mm256_blendv_epi8(res, d, keep32));
    }
    if (x + 4 <= w) {
      Glyph4(mask + x, dest + x, c4, a);
      x += 4;
    }
    GlyphTail(mask, dest, x, w, r, g, b, a);
  }
}

} // namespace

int LICE_GetSimdLevel() {
  return s_level;
}
int LICE_GetSimdLevelSupported() {
  return s_supported;
}
bool LICE_SetSimdLevel(int level) {
  if (level < LICE_SIMD_NONE || level > s_supported) return false;
  s_level = level;
  return true;
}

bool _LICE_BlitSourceAlphaFull(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
                               int dest_span) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE) return false;
  if (s_level == LICE_SIMD_AVX2)
    BlitSourceAlphaAVX2(dest, src, w, h, src_span, dest_span);
  else
    BlitSourceAlphaSSE2(dest, src, w, h, src_span, dest_span);
  return true;
}

bool _LICE_FillWords(LICE_pixel* dest, int w, int h, LICE_pixel color, int span) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE) return false;
  if (s_level == LICE_SIMD_AVX2)
    FillWordsAVX2(dest, w, h, color, span);
  else
    FillWordsSSE2(dest, w, h, color, span);
  return true;
}

bool _LICE_FillCopy(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE || ia < 1 || ia > 255) return false;
  if (s_level == LICE_SIMD_AVX2)
    FillCopyAVX2(dest, w, h, r, g, b, ia, span);
  else
    FillCopySSE2(dest, w, h, r, g, b, ia, span);
  return true;
}

bool _LICE_GlyphCopy(const unsigned char* mask, int mask_span, LICE_pixel* dest, int dest_span,
                     int w, int h, int r, int g, int b, int a) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE || a < 1 || a > 256) return false;
  if (s_level == LICE_SIMD_AVX2)
    GlyphCopyAVX2(mask, mask_span, dest, dest_span, w, h, r, g, b, a);
  else
    GlyphCopySSE2(mask, mask_span, dest, dest_span, w, h, r, g, b, a);
  return true;
}

bool _LICE_BilinearRow(LICE_pixel* out, const LICE_pixel* src, int sspan, int n, int64_t curx,
                       int64_t idx, unsigned int fy) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE) return false;
  if (s_level == LICE_SIMD_AVX2)
    BilinearRowAVX2(out, src, sspan, n, curx, idx, fy);
  else
    BilinearRowSSE2(out, src, sspan, n, curx, idx, fy);
  return true;
}

// One form serves both levels: the column sums are load-bound.
bool _LICE_Box3Row(LICE_pixel* out, const LICE_pixel* top, int sspan, int n, int64_t curx,
                   int64_t idx) {
  if (!LICE_fastpaths_enabled || s_level == LICE_SIMD_NONE || idx <= 0 || idx > 0x30000)
    return false;
  Box3RowSSE2(out, top, sspan, n, curx, idx);
  return true;
}

#else

int LICE_GetSimdLevel() {
  return LICE_SIMD_NONE;
}
int LICE_GetSimdLevelSupported() {
  return LICE_SIMD_NONE;
}
bool LICE_SetSimdLevel(int level) {
  return level == LICE_SIMD_NONE;
}
bool _LICE_BlitSourceAlphaFull(LICE_pixel*, const LICE_pixel*, int, int, int, int) {
  return false;
}
bool _LICE_FillWords(LICE_pixel*, int, int, LICE_pixel, int) {
  return false;
}
bool _LICE_FillCopy(LICE_pixel*, int, int, int, int, int, int, int) {
  return false;
}
bool _LICE_GlyphCopy(const unsigned char*, int, LICE_pixel*, int, int, int, int, int, int, int) {
  return false;
}

bool _LICE_BilinearRow(LICE_pixel*, const LICE_pixel*, int, int, int64_t, int64_t, unsigned int) {
  return false;
}
bool _LICE_Box3Row(LICE_pixel*, const LICE_pixel*, int, int, int64_t, int64_t) {
  return false;
}

#endif
