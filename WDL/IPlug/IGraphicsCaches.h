#pragma once
// Process-wide caches shared by every editor of every plug-in instance: loaded images
// keyed by resource id, and fonts keyed by the style attributes that shape glyphs.
// Each cache has its own mutex, taken for every find, add and remove.

#include "WDL/mutex.h"
#include "WDL/ptrlist.h"
#include "WDL/IPlug/IGraphicsStructs.h"

class LICE_IBitmap;
class LICE_IFont;

class BitmapStorage {
public:
  struct BitmapKey {
    int id;               // resource id; -1 for retained derived images
    LICE_IBitmap* bitmap; // owned by the cache
  };

  BitmapStorage() : mBitmaps(4096) {}
  ~BitmapStorage(); // deletes every image, then every key
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The image of the first key with that id, or null.
  LICE_IBitmap* Find(int id);
  // The cache owns the image from then on.
  void Add(LICE_IBitmap* pBitmap, int id = -1);
  // Deletes the image when cached; does nothing otherwise.
  void Remove(LICE_IBitmap* pBitmap);

private:
  WDL_PtrList<BitmapKey> mBitmaps;
  WDL_Mutex mMutex;
};

class FontStorage {
public:
  struct FontKey {
    int size;
    int orientation;
    IText::EStyle style;
    char face[32];
    LICE_IFont* font; // owned by the cache
  };

  FontStorage() : mFonts(4096) {}
  ~FontStorage(); // deletes every font, then every key
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // Matches size, orientation, style and face (case-sensitive); colour, alignment and
  // quality are not part of the key.
  LICE_IFont* Find(IText* pTxt);
  // The cache owns the font from then on.
  void Add(LICE_IFont* pFont, IText* pTxt);

private:
  WDL_PtrList<FontKey> mFonts;
  WDL_Mutex mMutex;
};

extern BitmapStorage s_bitmapCache;
extern FontStorage s_fontCache;
