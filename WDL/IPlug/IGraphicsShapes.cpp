// Drawing primitives on arcs, circles, polygons and transformed blits.

#include <cmath>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_shapes.h"

namespace {

inline LICE_IBitmap* Img(const IBitmap* pBitmap) {
  return (LICE_IBitmap*)pBitmap->mData;
}

} // namespace

bool IGraphics::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* pBlend, bool antiAlias) {
  LICE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, LiceColor(pColor), LiceWeight(pBlend),
           LiceBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* pColor, float cx, float cy, float r,
                           const IChannelBlend* pBlend, bool antiAlias) {
  LICE_Circle(mDrawBitmap, cx, cy, r, LiceColor(pColor), LiceWeight(pBlend), LiceBlendMode(pBlend),
              antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend,
                          int cornerradius, bool aa) {
  LICE_RoundRect(mDrawBitmap, (float)pR->L, (float)pR->T, (float)pR->W(), (float)pR->H(),
                 cornerradius, LiceColor(pColor), LiceWeight(pBlend), LiceBlendMode(pBlend), aa);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cr,
                              bool aa) {
  const LICE_pixel c = LiceColor(pColor);
  const float w = LiceWeight(pBlend);
  const int m = LiceBlendMode(pBlend);
  const int x = pR->L, y = pR->T, W = pR->W(), H = pR->H();
  LICE_FillRect(mDrawBitmap, x + cr, y, W - 2 * cr, H, c, w, m);
  LICE_FillRect(mDrawBitmap, x, y + cr, cr, H - 2 * cr, c, w, m);
  LICE_FillRect(mDrawBitmap, x + W - cr, y + cr, cr, H - 2 * cr, c, w, m);
  LICE_FillCircle(mDrawBitmap, (float)(x + cr), (float)(y + cr), (float)cr, c, w, m, aa);
  LICE_FillCircle(mDrawBitmap, (float)(x + W - cr - 1), (float)(y + H - cr - 1), (float)cr, c, w, m,
                  aa);
  LICE_FillCircle(mDrawBitmap, (float)(x + W - cr - 1), (float)(y + cr), (float)cr, c, w, m, aa);
  LICE_FillCircle(mDrawBitmap, (float)(x + cr), (float)(y + H - cr - 1), (float)cr, c, w, m, aa);
  return true;
}

bool IGraphics::FillCircle(const IColor* pColor, int cx, int cy, float r,
                           const IChannelBlend* pBlend, bool antiAlias) {
  LICE_FillCircle(mDrawBitmap, (float)cx, (float)cy, r, LiceColor(pColor), LiceWeight(pBlend),
                  LiceBlendMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                             IChannelBlend* pBlend) {
  LICE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, LiceColor(pColor), LiceWeight(pBlend),
                    LiceBlendMode(pBlend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints,
                                   const IChannelBlend* pBlend) {
  LICE_FillConvexPolygon(mDrawBitmap, x, y, npoints, LiceColor(pColor), LiceWeight(pBlend),
                         LiceBlendMode(pBlend));
  return true;
}

bool IGraphics::DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* pBlend) {
  const int W = pBitmap->W, H = pBitmap->H;
  const int destX = destCtrX - W / 2, destY = destCtrY - H / 2;
  LICE_RotatedBlit(mDrawBitmap, Img(pBitmap), destX, destY, W, H, 0.0f, 0.0f, (float)W, (float)H,
                   (float)angle, false, LiceWeight(pBlend), LiceBlendMode(pBlend) | 0x100, 0.0f,
                   (float)yOffsetZeroDeg);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y,
                                double angle, const IChannelBlend* pBlend) {
  const double rad = M_PI * angle / 180.0;
  const int W = pBase->W, H = pBase->H;
  const float xOffs = (W % 2) ? -0.5f : 0.0f;
  if (!mTmpBitmap) mTmpBitmap = new LICE_MemBitmap(0, 0, 4);
  LICE_Copy(mTmpBitmap, Img(pMask));
  LICE_ClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF, 0);
  LICE_RotatedBlit(mTmpBitmap, Img(pBase), 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, (float)rad,
                   true, 1.0f, 0x10101, xOffs, 0.0f);
  LICE_RotatedBlit(mTmpBitmap, Img(pTop), 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, (float)rad,
                   true, 1.0f, 0x10100, xOffs, 0.0f);
  IRECT dest(x, y, x + W, y + H);
  IRECT r = dest.Intersect(&mDrawRECT);
  LICE_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), LiceWeight(pBlend),
            LiceBlendMode(pBlend));
  return true;
}

IBitmap IGraphics::ScaleBitmap(IBitmap* pBitmap, int destW, int destH) {
  LICE_IBitmap* src = (LICE_IBitmap*)pBitmap->mData;
  LICE_MemBitmap* dest = new LICE_MemBitmap(destW, destH, 4);
  LICE_ScaledBlit(dest, src, 0, 0, destW, destH, 0.0f, 0.0f, (float)src->getWidth(),
                  (float)src->getHeight(), 1.0f, 0x100);
  IBitmap bmp(dest, destW, destH, pBitmap->N, false);
  RetainBitmap(&bmp);
  return bmp;
}
