// Records behind the GDI emulation's handles and the pools that hand them out. For the
// emulation's own sources; other code sees only the handles.
#pragma once

#include "WDL/swell/swell-types.h"

#include <CoreGraphics/CoreGraphics.h>

typedef const struct __CTFont* CTFontRef;
class NSImage;

struct HDC__ {
  CGContextRef ctx;
  void* ownedData; // raw block of a memory context; null when ctx belongs to someone else
  HGDIOBJ curpen;
  HGDIOBJ curbrush;
  HGDIOBJ curfont;
  int curtextcol; // colour word
  int curbkcol;   // colour word
  int curbkmode;  // 1 paints the background behind text
  float lastpos_x, lastpos_y;
  void* GLgfxctx;
  bool _infreelist;
  CGColorRef curtextcol_obj; // owned
};

struct HGDIOBJ__ {
  int type;              // TYPE_PEN, TYPE_BRUSH, TYPE_FONT, TYPE_BITMAP
  int additional_refcnt; // 0 for a new object
  CGColorRef color;      // owned; pens and brushes
  int wid;               // pen width; -1 for the stock null objects; bitmaps: 1 owns image
  NSImage* bitmapptr;
  float fontangle; // degrees
  bool _infreelist;
  CTFontRef ct_FontRef; // owned
  unsigned char font_quality;
};

// Pooled records: new records come back cleared; a released record stays in the free list
// (marked _infreelist) until 8192 more have been released, so stale handles are caught.
HDC__* SWELL_GDP_CTX_NEW();
void SWELL_GDP_CTX_DELETE(HDC__* p);
HGDIOBJ__* GDP_OBJECT_NEW();
void GDP_OBJECT_DELETE(HGDIOBJ__* p);

// Handle checks: false for null and the placeholders 1-4; a handle already released stops
// the program, and so does an object of another type than reqType (when reqType is not 0).
bool HDC_VALID(HDC__* ct);
bool HGDIOBJ_VALID(HGDIOBJ__* p, int reqType = 0);

// Process-wide device RGB colour space of memory contexts and colours, never released.
CGColorSpaceRef __GetBitmapColorSpace();
// A new colour (caller releases) from a colour word and an alpha 0..1.
CGColorRef CreateColor(int col, float alpha);
