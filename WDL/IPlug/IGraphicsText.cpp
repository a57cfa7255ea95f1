// Text drawing and the font cache.

#include "WDL/IPlug/IGraphics.h"

#include <mutex>

#include "WDL/IPlug/IGraphicsCaches.h"
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell.h"

FontStorage s_fontCache;

FontStorage::~FontStorage() {
  for (int i = 0; i < mFonts.GetSize(); ++i) delete mFonts.Get(i)->font;
  mFonts.Empty(true);
}

LICE_IFont* FontStorage::Find(IText* pTxt) {
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < mFonts.GetSize(); ++i) {
    FontKey* key = mFonts.Get(i);
    if (key->size == pTxt->mSize && key->orientation == pTxt->mOrientation &&
        key->style == pTxt->mStyle && !strcmp(key->face, pTxt->mFont))
      return key->font;
  }
  return nullptr;
}

void FontStorage::Add(LICE_IFont* pFont, IText* pTxt) {
  WDL_MutexLock lock(&mMutex);
  FontKey* key = new FontKey;
  key->size = pTxt->mSize;
  key->orientation = pTxt->mOrientation;
  key->style = pTxt->mStyle;
  memset(key->face, 0, sizeof(key->face));
  memcpy(key->face, pTxt->mFont, strnlen(pTxt->mFont, sizeof(key->face) - 1));
  key->font = pFont;
  mFonts.Add(key);
}

bool IGraphics::DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure) {
  if (!str || !*str) return true;
  LICE_IFont* font = pTxt->mCached;
  if (!font) {
    font = CacheFont(pTxt);
    if (!font) return false;
  }
  const LICE_pixel color = LiceColor(&pTxt->mColor);
  font->SetTextColor(color);

  unsigned int fmt = 0x100; // no clipping
  if (LICE_GETA(color) < 255) fmt |= 0x40000000;
  if (pTxt->mAlign == IText::kAlignCenter)
    fmt |= 0x1;
  else if (pTxt->mAlign == IText::kAlignFar)
    fmt |= 0x2;

  if (measure) {
    fmt |= 0x400;
    RECT R = {0, 0, 0, 0};
    font->DrawText(mDrawBitmap, str, -1, &R, fmt);
    const int tw = R.right, th = R.bottom;
    switch (pTxt->mAlign) {
    case IText::kAlignNear:
      pR->R = pR->L + tw;
      break;
    case IText::kAlignCenter:
      pR->L = (int)pR->MW() - tw / 2;
      pR->R = pR->L + tw;
      break;
    case IText::kAlignFar:
      pR->L = pR->R - tw;
      pR->R = pR->L + tw;
      break;
    }
    pR->B = pR->T + th;
  } else {
    RECT R = {pR->L, pR->T, pR->R, pR->B};
    font->DrawText(mDrawBitmap, str, -1, &R, fmt);
  }
  return true;
}

LICE_IFont* IGraphics::CacheFont(IText* pTxt) {
  LICE_IFont* font = s_fontCache.Find(pTxt);
  if (font) {
    pTxt->mCached = font;
    return font;
  }
  // Cached fonts share scratch bitmaps without a lock of their own: make one at a time.
  static std::mutex s_makeLock;
  std::lock_guard<std::mutex> making(s_makeLock);
  if ((font = s_fontCache.Find(pTxt)) != nullptr) {
    pTxt->mCached = font;
    return font;
  }

  LICE_CachedFont* newFont = new LICE_CachedFont;
  int h = pTxt->mSize;
  const int esc = 10 * pTxt->mOrientation; // tenths of a degree
  const int wt = pTxt->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL;
  const char italic = pTxt->mStyle == IText::kStyleItalic ? 1 : 0;
  int q;
  switch (pTxt->mQuality) {
  case IText::kQualityDefault:
    q = 0;
    break;                         // default quality
  case IText::kQualityAntiAliased: // fall through
  case IText::kQualityClearType:
    q = 4;
    break; // antialiased
  default:
    q = 3;
    break; // not antialiased
  }

  for (int pass = 0; pass < 2; ++pass) {
    if (h < 2) h = 2;
    HFONT hFont = CreateFont(h, 0, esc, esc, wt, italic, 0, 0, 0, 0, 0, q, 0, pTxt->mFont);
    if (!hFont) {
      delete newFont;
      return nullptr;
    }
    newFont->SetFromHFont(hFont, 0x600); // owns the handle, prefers native rendering
    const int lineHeight = newFont->GetLineHeight();
    // Refit once so the line height matches the requested size; a font that reports no
    // line height is kept as made.
    if (pass > 0 || lineHeight <= 0 || lineHeight == h) break;
    h = (int)((double)h * (double)h / (double)lineHeight + 0.5);
  }

  s_fontCache.Add(newFont, pTxt);
  pTxt->mCached = newFont;
  return newFont;
}
