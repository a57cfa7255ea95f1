#ifndef _IGRAPHICSSTRUCTS_
#define _IGRAPHICSSTRUCTS_

// Plain value records of the editor: rectangles, colours, blends, text styles, image
// handles and mouse modifiers. Editor coordinates are pixels, origin top left, y down.

#include <cstring>

class LICE_IFont;

// A loaded image. mData is a LICE_IBitmap* owned by the process-wide image cache.
struct IBitmap {
  void* mData;
  int W, H, N; // pixel size of the whole image; number of frames
  bool mFramesAreHorizontal;

  IBitmap(void* pData = nullptr, int w = 0, int h = 0, int n = 1, bool framesAreHorizontal = false)
      : mData(pData), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal) {}
};

struct IColor {
  int A, R, G, B;
  constexpr IColor(int a = 255, int r = 0, int g = 0, int b = 0) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !operator==(o); }
};

// Internal linkage: each translation unit carries its own copy.
const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);

const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

struct IChannelBlend {
  enum EBlendMethod : int {
    kBlendNone = 0,
    kBlendClobber = 1,
    kBlendAdd = 2,
    kBlendColorDodge = 3
  };
  EBlendMethod mMethod;
  float mWeight; // 0..1

  IChannelBlend(EBlendMethod method = kBlendNone, float weight = 1.0f)
      : mMethod(method), mWeight(weight) {}
};

// Translations into the raster library's pixel value, weight and blend mode word.
inline unsigned int LiceColor(const IColor* pColor) {
  return ((unsigned int)(pColor->A & 0xFF) << 24) | ((unsigned int)(pColor->R & 0xFF) << 16) |
         ((unsigned int)(pColor->G & 0xFF) << 8) | (unsigned int)(pColor->B & 0xFF);
}

inline float LiceWeight(const IChannelBlend* pBlend) {
  return pBlend ? pBlend->mWeight : 1.0f;
}

inline int LiceBlendMode(const IChannelBlend* pBlend) {
  if (!pBlend) return 0x10000;
  switch (pBlend->mMethod) {
  case IChannelBlend::kBlendClobber:
    return 0;
  case IChannelBlend::kBlendAdd:
    return 0x10001;
  case IChannelBlend::kBlendColorDodge:
    return 0x10002;
  default:
    return 0x10000;
  }
}

struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[32]; // face name, NUL-terminated
  int mSize;      // font height in pixels
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation; // whole degrees, 0 = horizontal
  EQuality mQuality;
  LICE_IFont* mCached; // borrowed from the font cache; null until first drawn

  // A null colour takes the matching default; a null face takes "Monaco".
  IText(int size = 10, const IColor* pColor = nullptr, const char* font = nullptr,
        EStyle style = kStyleNormal, EAlign align = kAlignCenter, int orientation = 0,
        EQuality quality = kQualityDefault, const IColor* pTextEntryBGColor = nullptr,
        const IColor* pTextEntryFGColor = nullptr)
      : mSize(size), mColor(pColor ? *pColor : DEFAULT_TEXT_COLOR),
        mTextEntryBGColor(pTextEntryBGColor ? *pTextEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
        mTextEntryFGColor(pTextEntryFGColor ? *pTextEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
        mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality),
        mCached(nullptr) {
    std::memset(mFont, 0, sizeof(mFont));
    const char* face = font ? font : "Monaco";
    std::memcpy(mFont, face, strnlen(face, sizeof(mFont) - 1));
  }
};

// Integer rectangle; left and top inclusive, right and bottom exclusive.
struct IRECT {
  int L, T, R, B;

  IRECT() : L(0), T(0), R(0), B(0) {}
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // One frame of the bitmap placed with its top left corner at (x, y).
  IRECT(int x, int y, IBitmap* pBitmap) : L(x), T(y) {
    int n = pBitmap->N > 0 ? pBitmap->N : 1;
    if (pBitmap->mFramesAreHorizontal) {
      R = x + pBitmap->W / n;
      B = y + pBitmap->H;
    } else {
      R = x + pBitmap->W;
      B = y + pBitmap->H / n;
    }
  }

  // Only the all-zero rectangle is empty; zero-area rectangles elsewhere are not.
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * (float)(L + R); }
  float MH() const { return 0.5f * (float)(T + B); }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !operator==(o); }

  bool Contains(int x, int y) const {
    if (Empty()) return false;
    return x >= L && x < R && y >= T && y < B;
  }
  // Touching this rectangle's right or bottom edge counts as meeting it.
  bool Intersects(const IRECT* pRHS) const {
    if (Empty() || pRHS->Empty()) return false;
    return R >= pRHS->L && L < pRHS->R && B >= pRHS->T && T < pRHS->B;
  }
  IRECT Intersect(const IRECT* pRHS) const {
    if (!Intersects(pRHS)) return IRECT();
    return IRECT(L > pRHS->L ? L : pRHS->L, T > pRHS->T ? T : pRHS->T, R < pRHS->R ? R : pRHS->R,
                 B < pRHS->B ? B : pRHS->B);
  }
  IRECT Union(const IRECT* pRHS) const {
    if (Empty()) return *pRHS;
    if (pRHS->Empty()) return *this;
    return IRECT(L < pRHS->L ? L : pRHS->L, T < pRHS->T ? T : pRHS->T, R > pRHS->R ? R : pRHS->R,
                 B > pRHS->B ? B : pRHS->B);
  }
  // Slice i of n equal slices side by side.
  IRECT SubRectHorizontal(int numSlices, int sliceIdx) const {
    float w = (float)W() / (float)numSlices;
    int l = L + (int)(w * (float)sliceIdx);
    return IRECT(l, T, (int)((float)l + w), B);
  }
  // Slice i of n equal slices stacked top to bottom.
  IRECT SubRectVertical(int numSlices, int sliceIdx) const {
    float h = (float)H() / (float)numSlices;
    int t = T + (int)(h * (float)sliceIdx);
    return IRECT(L, t, R, (int)((float)t + h));
  }
};

struct IMouseMod {
  bool L, R, S, C, A; // left and right button, Shift, Control, Option
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

enum EDirection { kVertical = 0, kHorizontal = 1 };
enum EFileAction { kFileOpen = 0, kFileSave = 1 };

#endif
