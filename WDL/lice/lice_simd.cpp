#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_combine.h"

#ifdef __SSE2__
#include <emmintrin.h>

namespace {
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

} // namespace

bool _LICE_BlitSourceAlphaFull(LICE_pixel* dest, const LICE_pixel* src, int w, int h, int src_span,
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
    for (; x < w; x++) {
      const LICE_pixel p = src[x];
      _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix(
          (LICE_pixel_chan*)(dest + x), LICE_GETR(p), LICE_GETG(p), LICE_GETB(p), LICE_GETA(p),
          256);
    }
  }
  return true;
}

bool _LICE_FillWords(LICE_pixel* dest, int w, int h, LICE_pixel color, int span) {
  const __m128i c = _mm_set1_epi32((int)color);
  for (; h > 0; h--, dest += span) {
    int x = 0;
    for (; x + 4 <= w; x += 4) _mm_storeu_si128((__m128i*)(dest + x), c);
    for (; x < w; x++) dest[x] = color;
  }
  return true;
}

bool _LICE_FillCopy(LICE_pixel* dest, int w, int h, int r, int g, int b, int ia, int span) {
  if (ia < 1 || ia > 255) return false;
  // With c and k fixed: c + trunc((d - c) k / 256) = (d k + c (256 - k) + (d < c ? 255 : 0)) >> 8,
  // which stays within 16 bits.
  const int k = 256 - ia;
  const __m128i zero = _mm_setzero_si128();
  const __m128i kk = _mm_set1_epi16((short)k);
  const __m128i c16 = _mm_set_epi16(ia, r, g, b, ia, r, g, b);
  const __m128i base =
      _mm_set_epi16((short)(ia * (256 - k)), (short)(r * (256 - k)), (short)(g * (256 - k)),
                    (short)(b * (256 - k)), (short)(ia * (256 - k)), (short)(r * (256 - k)),
                    (short)(g * (256 - k)), (short)(b * (256 - k)));
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
  return true;
}

#else

bool _LICE_BlitSourceAlphaFull(LICE_pixel*, const LICE_pixel*, int, int, int, int) {
  return false;
}
bool _LICE_FillWords(LICE_pixel*, int, int, LICE_pixel, int) {
  return false;
}
bool _LICE_FillCopy(LICE_pixel*, int, int, int, int, int, int, int) {
  return false;
}

#endif
