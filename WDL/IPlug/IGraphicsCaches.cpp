#include "WDL/IPlug/IGraphicsCaches.h"

#include <cassert>
#include <cstring>

#include "WDL/IPlug/IGraphics.h"
#include "WDL/lice/lice.h"

BitmapStorage s_bitmapCache;

BitmapStorage::~BitmapStorage() {
  for (int i = 0; i < mBitmaps.GetSize(); ++i) delete mBitmaps.Get(i)->bitmap;
  mBitmaps.Empty(true);
}

LICE_IBitmap* BitmapStorage::Find(int id) {
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i) {
    BitmapKey* key = mBitmaps.Get(i);
    if (key->id == id) return key->bitmap;
  }
  return nullptr;
}

void BitmapStorage::Add(LICE_IBitmap* pBitmap, int id) {
  WDL_MutexLock lock(&mMutex);
  BitmapKey* key = new BitmapKey;
  key->id = id;
  key->bitmap = pBitmap;
  mBitmaps.Add(key);
}

void BitmapStorage::Remove(LICE_IBitmap* pBitmap) {
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < mBitmaps.GetSize(); ++i) {
    if (mBitmaps.Get(i)->bitmap == pBitmap) {
      mBitmaps.Delete(i, true);
      delete pBitmap;
      return;
    }
  }
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
  LICE_IBitmap* lb = s_bitmapCache.Find(id);
  if (!lb) {
    lb = OSLoadBitmap(id, name);
    const bool imgResourceFound = lb != nullptr;
    assert(imgResourceFound);
    (void)imgResourceFound;
    s_bitmapCache.Add(lb, id);
  }
  return IBitmap(lb, lb->getWidth(), lb->getHeight(), nStates, framesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* pBitmap) {
  s_bitmapCache.Add((LICE_IBitmap*)pBitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* pBitmap) {
  s_bitmapCache.Remove((LICE_IBitmap*)pBitmap->mData);
}

IBitmap IGraphics::CropBitmap(IBitmap* pBitmap, IRECT* pR) {
  const int destW = pR->W(), destH = pR->H();
  LICE_MemBitmap* dest = new LICE_MemBitmap(destW, destH, 4);
  LICE_Blit(dest, (LICE_IBitmap*)pBitmap->mData, 0, 0, pR->L, pR->T, destW, destH, 1.0f, 0);
  IBitmap bmp(dest, destW, destH, pBitmap->N, false);
  RetainBitmap(&bmp);
  return bmp;
}
