// Pixel combine operators. Each operator is a class with a static doPix (per channel:
// dest points at the pixel's bytes B, G, R, A; r, g, b, a is the source colour; alpha the
// weight 0..256) or doPixFAST (whole word). Drawing loops are templates over these classes
// so the operator is fixed at build time; LICE_DispatchOperator at the end of this file is
// the one place that maps a blend mode and a weight to an operator class.
#pragma once

#include "WDL/lice/lice.h"

#include <array>
#include <cmath>
#include <type_traits>

// Alphas (1.0 = full strength) of larger magnitude, and non-finite ones, are refused at every
// public entry: the weights (int)(alpha x 256) then stay where the operators' products fit
// an int.
inline bool _LICE_AlphaUsable(float alpha) {
  return std::fabs(alpha) <= 16.0f;
}

// Writes the low 8 bits of each value.
static inline void _LICE_MakePixelNoClamp(LICE_pixel_chan* out, int r, int g, int b, int a) {
  out[LICE_PIXEL_B] = (LICE_pixel_chan)b;
  out[LICE_PIXEL_G] = (LICE_pixel_chan)g;
  out[LICE_PIXEL_R] = (LICE_pixel_chan)r;
  out[LICE_PIXEL_A] = (LICE_pixel_chan)a;
}

static inline int _LICE_Clamp8(int v) {
  return (v & ~0xff) ? (v < 0 ? 0 : 255) : v;
}

static inline void _LICE_MakePixelClamp(LICE_pixel_chan* out, int r, int g, int b, int a) {
  out[LICE_PIXEL_B] = (LICE_pixel_chan)_LICE_Clamp8(b);
  out[LICE_PIXEL_G] = (LICE_pixel_chan)_LICE_Clamp8(g);
  out[LICE_PIXEL_R] = (LICE_pixel_chan)_LICE_Clamp8(r);
  out[LICE_PIXEL_A] = (LICE_pixel_chan)_LICE_Clamp8(a);
}

// 65536 / i - 1 for i >= 1, 0 for 0.
constexpr std::array<unsigned short, 256> _LICE_MakeInvTab() {
  std::array<unsigned short, 256> t{};
  for (int i = 1; i < 256; i++) t[i] = (unsigned short)(65536 / i - 1);
  return t;
}
inline constexpr std::array<unsigned short, 256> _LICE_RGB2HSV_invtab = _LICE_MakeInvTab();

// Hue 0..383 in six sectors of 64 (red 0, green 128, blue 256); s and v 0..255.
static inline void __LICE_RGB2HSV(int r, int g, int b, int* h, int* s, int* v) {
  int max, base, delta, n;
  if ((g > r && g <= b) || (g <= r && r <= b)) {
    max = b;
    base = 256;
    delta = b - (g < r ? g : r);
    n = r - g;
  } else if (g > r) { // and g > b
    max = g;
    base = 128;
    delta = g - (b < r ? b : r);
    n = b - r;
  } else if (g >= b) { // g <= r, r > b
    max = r;
    base = 0;
    delta = r - b;
    n = g - b;
  } else {
    max = r;
    base = 383;
    delta = r - g;
    n = g - b;
  }
  *v = max;
  *h = (n * (_LICE_RGB2HSV_invtab[delta] + 1)) / 1024 + base;
  *s = (delta * _LICE_RGB2HSV_invtab[max]) / 256;
}

// The alpha is clamped to 0..255 so a full weight of 256 never packs as 0.
static inline LICE_pixel __LICE_HSV2Pix(int h, int s, int v, int alpha) {
  const int lo = (v * (256 - s)) / 256;
  int r, g, b;
  if (h < 64) {
    r = v;
    g = (v * (16384 - (64 - h) * s)) / 16384;
    b = lo;
  } else if (h < 128) {
    r = (v * (16384 - (h - 64) * s)) / 16384;
    g = v;
    b = lo;
  } else if (h < 192) {
    r = lo;
    g = v;
    b = (v * (16384 - (192 - h) * s)) / 16384;
  } else if (h < 256) {
    r = lo;
    g = (v * (16384 - (h - 192) * s)) / 16384;
    b = v;
  } else if (h < 320) {
    r = (v * (16384 - (320 - h) * s)) / 16384;
    g = lo;
    b = v;
  } else {
    r = v;
    g = lo;
    b = (v * (16384 - (h - 320) * s)) / 16384;
  }
  const LICE_pixel a = (LICE_pixel)_LICE_Clamp8(alpha);
  return (a << 24) | ((LICE_pixel)(r & 0xff) << 16) | ((LICE_pixel)(g & 0xff) << 8) |
         (LICE_pixel)(b & 0xff);
}

// ---- Per-channel operators.

class _LICE_CombinePixelsClobberNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int) {
    _LICE_MakePixelNoClamp(dest, r, g, b, a);
  }
};

class _LICE_CombinePixelsClobberClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int) {
    _LICE_MakePixelClamp(dest, r, g, b, a);
  }
};

class _LICE_CombinePixelsHalfMixNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int) {
    _LICE_MakePixelNoClamp(dest, (dest[LICE_PIXEL_R] + r) >> 1, (dest[LICE_PIXEL_G] + g) >> 1,
                           (dest[LICE_PIXEL_B] + b) >> 1, (dest[LICE_PIXEL_A] + a) >> 1);
  }
};

// c moved toward d by k / 256 (division truncating toward zero).
static inline int _LICE_COPY_CHAN(int d, int c, int k) {
  return c + ((d - c) * k) / 256;
}

class _LICE_CombinePixelsCopyNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    const int k = 256 - alpha;
    _LICE_MakePixelNoClamp(
        dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k), _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
        _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), _LICE_COPY_CHAN(dest[LICE_PIXEL_A], a, k));
  }
};

class _LICE_CombinePixelsCopyClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    const int k = 256 - alpha;
    _LICE_MakePixelClamp(
        dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k), _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
        _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), _LICE_COPY_CHAN(dest[LICE_PIXEL_A], a, k));
  }
};

class _LICE_CombinePixelsAdd {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_MakePixelClamp(
        dest, dest[LICE_PIXEL_R] + (r * alpha) / 256, dest[LICE_PIXEL_G] + (g * alpha) / 256,
        dest[LICE_PIXEL_B] + (b * alpha) / 256, dest[LICE_PIXEL_A] + (a * alpha) / 256);
  }
};

class _LICE_CombinePixelsColorDodge {
  static inline int chan(int d, int c, int alpha) {
    const int k = 256 - (c * alpha) / 256;
    return k >= 2 ? (d * 256) / k : d * 256;
  }

public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_MakePixelClamp(dest, chan(dest[LICE_PIXEL_R], r, alpha),
                         chan(dest[LICE_PIXEL_G], g, alpha), chan(dest[LICE_PIXEL_B], b, alpha),
                         chan(dest[LICE_PIXEL_A], a, alpha));
  }
};

static inline int _LICE_MUL_CHAN(int d, int c, int alpha) {
  return (d * ((256 - alpha) * 256 + c * alpha)) >> 16;
}

class _LICE_CombinePixelsMulNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_MakePixelNoClamp(dest, _LICE_MUL_CHAN(dest[LICE_PIXEL_R], r, alpha),
                           _LICE_MUL_CHAN(dest[LICE_PIXEL_G], g, alpha),
                           _LICE_MUL_CHAN(dest[LICE_PIXEL_B], b, alpha),
                           _LICE_MUL_CHAN(dest[LICE_PIXEL_A], a, alpha));
  }
};

class _LICE_CombinePixelsMulClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_MakePixelClamp(dest, _LICE_MUL_CHAN(dest[LICE_PIXEL_R], r, alpha),
                         _LICE_MUL_CHAN(dest[LICE_PIXEL_G], g, alpha),
                         _LICE_MUL_CHAN(dest[LICE_PIXEL_B], b, alpha),
                         _LICE_MUL_CHAN(dest[LICE_PIXEL_A], a, alpha));
  }
};

class _LICE_CombinePixelsOverlay {
  static inline int chan(int d, int c, int alpha) {
    const int k = c * alpha + (256 - alpha) * 128;
    return (d * ((d * (32768 - k)) / 256 + k)) >> 15;
  }

public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_MakePixelClamp(dest, chan(dest[LICE_PIXEL_R], r, alpha),
                         chan(dest[LICE_PIXEL_G], g, alpha), chan(dest[LICE_PIXEL_B], b, alpha),
                         chan(dest[LICE_PIXEL_A], a, alpha));
  }
};

class _LICE_CombinePixelsHSVAdjust {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    int h, s, v;
    __LICE_RGB2HSV(dest[LICE_PIXEL_R], dest[LICE_PIXEL_G], dest[LICE_PIXEL_B], &h, &s, &v);
    h += ((r + r / 2 - 192) * alpha) / 256;
    if (h < 0)
      h += 384;
    else if (h >= 384)
      h -= 384;
    s += ((g - 128) * alpha) / 128;
    if (s & ~0xff) s = s < 0 ? 0 : 255;
    v += ((b - 128) * alpha) / 128;
    if (v & ~0xff) v = v < 0 ? 0 : 255;
    *(LICE_pixel*)dest = __LICE_HSV2Pix(h, s, v, a);
  }
};

// ---- Source-alpha operators: the weight becomes alpha x (source alpha + 1) / 256.

class _LICE_CombinePixelsCopySourceAlphaNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    if (!a) return;
    const int w = (alpha * (a + 1)) / 256, k = 256 - w;
    const int da = dest[LICE_PIXEL_A] + w;
    _LICE_MakePixelNoClamp(dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k),
                           _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
                           _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), da < 255 ? da : 255);
  }
};

class _LICE_CombinePixelsCopySourceAlphaClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    if (!a) return;
    const int w = (alpha * (a + 1)) / 256, k = 256 - w;
    _LICE_MakePixelClamp(dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k),
                         _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
                         _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), dest[LICE_PIXEL_A] + w);
  }
};

// Full weight only: the source alpha alone decides.
class _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int) {
    if (!a) return;
    if (a == 255) {
      _LICE_MakePixelNoClamp(dest, r, g, b, a);
      return;
    }
    const int k = 255 - a;
    const int da = dest[LICE_PIXEL_A] + a;
    _LICE_MakePixelNoClamp(dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k),
                           _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
                           _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), da < 255 ? da : 255);
  }
};

class _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int) {
    if (!a) return;
    if (a == 255) {
      _LICE_MakePixelClamp(dest, r, g, b, a);
      return;
    }
    const int k = 255 - a;
    _LICE_MakePixelClamp(dest, _LICE_COPY_CHAN(dest[LICE_PIXEL_R], r, k),
                         _LICE_COPY_CHAN(dest[LICE_PIXEL_G], g, k),
                         _LICE_COPY_CHAN(dest[LICE_PIXEL_B], b, k), dest[LICE_PIXEL_A] + a);
  }
};

class _LICE_CombinePixelsAddSourceAlpha {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    if (!a) return;
    _LICE_CombinePixelsAdd::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

class _LICE_CombinePixelsColorDodgeSourceAlpha {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_CombinePixelsColorDodge::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

class _LICE_CombinePixelsMulSourceAlphaNoClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    if (!a) return;
    _LICE_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

class _LICE_CombinePixelsMulSourceAlphaClamp {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    if (!a) return;
    _LICE_CombinePixelsMulClamp::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

class _LICE_CombinePixelsOverlaySourceAlpha {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_CombinePixelsOverlay::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

class _LICE_CombinePixelsHSVAdjustSourceAlpha {
public:
  static inline void doPix(LICE_pixel_chan* dest, int r, int g, int b, int a, int alpha) {
    _LICE_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, (alpha * (a + 1)) / 256);
  }
};

// ---- Whole-word operators for the copy operator at weights 256, 128, 64 and 192. They
// truncate each channel's low bits; the caller passes the colour through Prep first.

class _LICE_CombinePixelsClobberFAST {
public:
  static inline LICE_pixel Prep(LICE_pixel colour) { return colour; }
  static inline void doPixFAST(LICE_pixel* dest, LICE_pixel src) { *dest = src; }
};

// src: the colour itself.
class _LICE_CombinePixelsHalfMixFAST {
public:
  static inline LICE_pixel Prep(LICE_pixel colour) { return colour; }
  static inline void doPixFAST(LICE_pixel* dest, LICE_pixel src) {
    *dest = ((*dest >> 1) & 0x7f7f7f7f) + ((src >> 1) & 0x7f7f7f7f);
  }
};

class _LICE_CombinePixelsHalfMix2FAST {
public:
  static inline LICE_pixel Prep(LICE_pixel colour) { return (colour >> 1) & 0x7f7f7f7f; }
  static inline void doPixFAST(LICE_pixel* dest, LICE_pixel src) {
    *dest = ((*dest >> 1) & 0x7f7f7f7f) + src;
  }
};

class _LICE_CombinePixelsQuarterMix2FAST {
public:
  static inline LICE_pixel Prep(LICE_pixel colour) { return (colour >> 2) & 0x3f3f3f3f; }
  static inline void doPixFAST(LICE_pixel* dest, LICE_pixel src) {
    const LICE_pixel d = *dest;
    *dest = ((d >> 1) & 0x7f7f7f7f) + ((d >> 2) & 0x3f3f3f3f) + src;
  }
};

class _LICE_CombinePixelsThreeQuarterMix2FAST {
public:
  static inline LICE_pixel Prep(LICE_pixel colour) {
    return ((colour >> 1) & 0x7f7f7f7f) + ((colour >> 2) & 0x3f3f3f3f);
  }
  static inline void doPixFAST(LICE_pixel* dest, LICE_pixel src) {
    *dest = ((*dest >> 2) & 0x3f3f3f3f) + src;
  }
};

// ---- The one operator dispatch.

// The part of a blend mode word that picks a blit's operator: the operator byte and the
// source-alpha flag. Solid drawing uses the operator byte alone.
inline int _LICE_BlitKey(int mode) {
  return mode & (LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MASK);
}

// How a call site picks the copy operator from its weight w.
enum class LICE_CopyRule {
  Blit, // 256: clobber; above 0: copy; otherwise nothing
  Mix,  // 256: clobber; 128: half mix; above 0: copy; otherwise nothing
  Copy, // above 0: copy (the site scales the weight per pixel)
  Walk, // the weight changes along the walk: 256 (held for the whole walk) clobbers, any
        // other value copies
};

// Calls f(operator) with an instance of the operator class that serves key at weight w and
// answers true; answers false when nothing is to be drawn (no operator for the key, or w 0
// except under Walk). key is the blend mode's operator byte, with the source-alpha flag kept
// by the blits (_LICE_BlitKey). CLAMP picks the clamping forms where an operator has two.
template <LICE_CopyRule RULE, bool CLAMP = false, class F>
inline bool LICE_DispatchOperator(int key, int w, F&& f) {
  typedef typename std::conditional<CLAMP, _LICE_CombinePixelsClobberClamp,
                                    _LICE_CombinePixelsClobberNoClamp>::type Clobber;
  typedef typename std::conditional<CLAMP, _LICE_CombinePixelsCopyClamp,
                                    _LICE_CombinePixelsCopyNoClamp>::type Copy;
  typedef typename std::conditional<CLAMP, _LICE_CombinePixelsMulClamp,
                                    _LICE_CombinePixelsMulNoClamp>::type Mul;
  if (RULE != LICE_CopyRule::Walk && w == 0) return false;
  switch (key) {
  case LICE_BLIT_MODE_COPY:
    if constexpr (RULE == LICE_CopyRule::Walk) {
      if (w == 256)
        f(Clobber());
      else
        f(Copy());
      return true;
    }
    if constexpr (RULE == LICE_CopyRule::Blit || RULE == LICE_CopyRule::Mix) {
      if (w == 256) {
        f(Clobber());
        return true;
      }
    }
    if constexpr (RULE == LICE_CopyRule::Mix) {
      static_assert(!CLAMP, "the half mix has no clamping form");
      if (w == 128) {
        f(_LICE_CombinePixelsHalfMixNoClamp());
        return true;
      }
    }
    if (w <= 0) return false;
    f(Copy());
    return true;
  case LICE_BLIT_MODE_ADD:
    f(_LICE_CombinePixelsAdd());
    return true;
  case LICE_BLIT_MODE_DODGE:
    f(_LICE_CombinePixelsColorDodge());
    return true;
  case LICE_BLIT_MODE_MUL:
    f(Mul());
    return true;
  case LICE_BLIT_MODE_OVERLAY:
    f(_LICE_CombinePixelsOverlay());
    return true;
  case LICE_BLIT_MODE_HSVADJ:
    f(_LICE_CombinePixelsHSVAdjust());
    return true;
  }
  if constexpr (RULE == LICE_CopyRule::Blit) {
    switch (key) {
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_COPY:
      if (w == 256)
        f(typename std::conditional<
            CLAMP, _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp,
            _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::type());
      else
        f(typename std::conditional<CLAMP, _LICE_CombinePixelsCopySourceAlphaClamp,
                                    _LICE_CombinePixelsCopySourceAlphaNoClamp>::type());
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_ADD:
      f(_LICE_CombinePixelsAddSourceAlpha());
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_DODGE:
      f(_LICE_CombinePixelsColorDodgeSourceAlpha());
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_MUL:
      f(typename std::conditional<CLAMP, _LICE_CombinePixelsMulSourceAlphaClamp,
                                  _LICE_CombinePixelsMulSourceAlphaNoClamp>::type());
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_OVERLAY:
      f(_LICE_CombinePixelsOverlaySourceAlpha());
      return true;
    case LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_HSVADJ:
      f(_LICE_CombinePixelsHSVAdjustSourceAlpha());
      return true;
    }
  }
  return false;
}

// The copy operator's whole-word forms at weights 256, 128, 64 and 192: calls f(operator,
// colour prepared for it) and answers true; false at any other weight.
template <class F> inline bool LICE_DispatchWholeWord(int w, LICE_pixel colour, F&& f) {
  switch (w) {
  case 256:
    f(_LICE_CombinePixelsClobberFAST(), _LICE_CombinePixelsClobberFAST::Prep(colour));
    return true;
  case 128:
    f(_LICE_CombinePixelsHalfMix2FAST(), _LICE_CombinePixelsHalfMix2FAST::Prep(colour));
    return true;
  case 64:
    f(_LICE_CombinePixelsQuarterMix2FAST(), _LICE_CombinePixelsQuarterMix2FAST::Prep(colour));
    return true;
  case 192:
    f(_LICE_CombinePixelsThreeQuarterMix2FAST(),
      _LICE_CombinePixelsThreeQuarterMix2FAST::Prep(colour));
    return true;
  }
  return false;
}
