// Drawing primitives on plain pixels, lines and blits.

#include <cmath>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"

namespace {

inline LICE_IBitmap* Img(const IBitmap* pBitmap) {
  return (LICE_IBitmap*)pBitmap->mData;
}

// A coordinate that truncates (after adding up to half a pixel) to an int; false for
// non-finite ones and those beyond the int range, which the drawing calls refuse.
inline bool FitsInt(float v) {
  return v > -2147483520.0f && v < 2147483520.0f;
}

} // namespace

bool IGraphics::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend,
                          bool /*antiAlias*/) {
  if (!FitsInt(x) || !FitsInt(y)) return false;
  LICE_PutPixel(mDrawBitmap, (int)(x + 0.5f), (int)(y + 0.5f), LiceColor(pColor),
                LiceWeight(pBlend), LiceBlendMode(pBlend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* pColor, int x, int y) {
  if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
    return true;
  LICE_pixel* px = mDrawBitmap->getBits();
  if (px) px[x + y * mDrawBitmap->getRowSpan()] = LiceColor(pColor);
  return true;
}

bool IGraphics::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2,
                         const IChannelBlend* pBlend, bool antiAlias) {
  if (!FitsInt(x1) || !FitsInt(y1) || !FitsInt(x2) || !FitsInt(y2)) return false;
  LICE_Line(mDrawBitmap, (int)x1, (int)y1, (int)x2, (int)y2, LiceColor(pColor), LiceWeight(pBlend),
            LiceBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend) {
  LICE_FillRect(mDrawBitmap, pR->L, pR->T, pR->W(), pR->H(), LiceColor(pColor), LiceWeight(pBlend),
                LiceBlendMode(pBlend));
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int xi, int yLo, int yHi) {
  LICE_Line(mDrawBitmap, xi, yLo, xi, yHi, LiceColor(pColor), 1.0f, 0, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int yi, int xLo, int xHi) {
  LICE_Line(mDrawBitmap, xLo, yi, xHi, yi, LiceColor(pColor), 1.0f, 0, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x) {
  if (std::isnan(x)) return false;
  x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
  const int xi = pR->L + (int)(x * (float)pR->W());
  return DrawVerticalLine(pColor, xi, pR->T, pR->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y) {
  if (std::isnan(y)) return false;
  y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
  const int yi = pR->B - (int)(y * (float)pR->H());
  return DrawHorizontalLine(pColor, yi, pR->L, pR->R);
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* pBlend, bool antiAlias) {
  const float sinV = std::sin(angle), cosV = std::cos(angle);
  return DrawLine(pColor, cx + rMin * sinV, cy - rMin * cosV, cx + rMax * sinV, cy - rMax * cosV,
                  pBlend, antiAlias);
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR) {
  DrawHorizontalLine(pColor, pR->T, pR->L, pR->R);
  DrawHorizontalLine(pColor, pR->B, pR->L, pR->R);
  DrawVerticalLine(pColor, pR->L, pR->T, pR->B);
  DrawVerticalLine(pColor, pR->R, pR->T, pR->B);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY,
                           const IChannelBlend* pBlend) {
  IRECT r = pDest->Intersect(&mDrawRECT);
  srcX += r.L - pDest->L;
  srcY += r.T - pDest->T;
  LICE_Blit(mDrawBitmap, Img(pBitmap), r.L, r.T, srcX, srcY, r.W(), r.H(), LiceWeight(pBlend),
            LiceBlendMode(pBlend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int frame, const IChannelBlend* pBlend) {
  int srcX = 0, srcY = 0;
  if (pBitmap->N > 1 && frame > 1) {
    if (pBitmap->mFramesAreHorizontal) {
      srcX = (int)(0.5 + (double)pBitmap->W * (double)(frame - 1) / (double)pBitmap->N);
    } else {
      srcY = (int)(0.5 + (double)pBitmap->H * (double)(frame - 1) / (double)pBitmap->N);
    }
  }
  return DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
}
