#include "WDL/swell/swell.h"
#include "WDL/swell/swell-internal.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

// A frame buffer above this many bytes is refused like an allocation failure.
static const uint64_t kMaxFrameBufferBytes = (uint64_t)1 << 30;

CGColorSpaceRef __GetBitmapColorSpace() {
  // Released when the library is unloaded: a plug-in bundle may be loaded many times.
  static struct Space {
    CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
    ~Space() { CGColorSpaceRelease(cs); }
  } space;
  return space.cs;
}

CGColorRef CreateColor(int col, float alpha) {
  const CGFloat c[4] = {GetRValue(col) / 255.0, GetGValue(col) / 255.0, GetBValue(col) / 255.0,
                        alpha};
  return CGColorCreate(__GetBitmapColorSpace(), c);
}

HDC SWELL_CreateMemContext(HDC, int w, int h) {
  if (w < 1 || h < 1) return nullptr;
  const uint64_t bytes = (uint64_t)w * 4 * (uint64_t)h;
  if (bytes > kMaxFrameBufferBytes) return nullptr;
  void* block = calloc(1, (size_t)bytes + 63);
  if (!block) return nullptr;
  void* buf = (void*)(((uintptr_t)block + 63) & ~(uintptr_t)63);
  CGContextRef gc =
      CGBitmapContextCreate(buf, (size_t)w, (size_t)h, 8, (size_t)w * 4, __GetBitmapColorSpace(),
                            kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little);
  if (!gc) {
    free(block);
    return nullptr;
  }
  // Top-left origin, y down, matching the row order of the buffer.
  CGContextTranslateCTM(gc, 0.0, (CGFloat)h);
  CGContextScaleCTM(gc, 1.0, -1.0);
  CGContextSetAllowsFontSmoothing(gc, false);

  HDC__* ctx = SWELL_GDP_CTX_NEW();
  if (!ctx) {
    CGContextRelease(gc);
    free(block);
    return nullptr;
  }
  ctx->ctx = gc;
  ctx->ownedData = block;
  SetTextColor(ctx, 0);
  return ctx;
}

void* SWELL_GetCtxFrameBuffer(HDC ctx) {
  if (!HDC_VALID(ctx) || !ctx->ownedData) return nullptr;
  return (void*)(((uintptr_t)ctx->ownedData + 63) & ~(uintptr_t)63);
}

void SWELL_DeleteGfxContext(HDC ctx) {
  if (!HDC_VALID(ctx)) return;
  if (ctx->ownedData) {
    CGContextRelease(ctx->ctx);
    free(ctx->ownedData);
  }
  if (ctx->curtextcol_obj) CGColorRelease(ctx->curtextcol_obj);
  SWELL_GDP_CTX_DELETE(ctx);
}

void* SWELL_GetCtxGC(HDC ctx) {
  return HDC_VALID(ctx) ? (void*)ctx->ctx : nullptr;
}

void SetTextColor(HDC ctx, int color) {
  if (!HDC_VALID(ctx)) return;
  ctx->curtextcol = color;
  if (ctx->curtextcol_obj) CGColorRelease(ctx->curtextcol_obj);
  ctx->curtextcol_obj = CreateColor(color, 1.0f);
}

int GetTextColor(HDC ctx) {
  return HDC_VALID(ctx) ? ctx->curtextcol : -1;
}

void SetBkColor(HDC ctx, int color) {
  if (HDC_VALID(ctx)) ctx->curbkcol = color;
}

void SetBkMode(HDC ctx, int mode) {
  if (HDC_VALID(ctx)) ctx->curbkmode = mode;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj) {
  if (!HDC_VALID(ctx)) return nullptr;
  HGDIOBJ* slot;
  int type;
  const UINT_PTR placeholder = (UINT_PTR)obj;
  if (placeholder >= TYPE_PEN && placeholder <= TYPE_FONT) {
    type = (int)placeholder;
  } else {
    if (!HGDIOBJ_VALID(obj)) return nullptr;
    type = obj->type;
  }
  switch (type) {
  case TYPE_PEN:
    slot = &ctx->curpen;
    break;
  case TYPE_BRUSH:
    slot = &ctx->curbrush;
    break;
  case TYPE_FONT:
    slot = &ctx->curfont;
    break;
  default:
    return nullptr; // bitmaps are not selected into contexts here
  }
  HGDIOBJ prev = *slot;
  HGDIOBJ result = HGDIOBJ_VALID(prev, type) ? prev : (HGDIOBJ)(UINT_PTR)type;
  if (placeholder >= TYPE_PEN && placeholder <= TYPE_FONT)
    *slot = nullptr;
  else if (prev != obj)
    *slot = obj;
  return result;
}

// The null pen and null brush; never freed.
static HGDIOBJ__ s_stockObjects[2];

HGDIOBJ GetStockObject(int which) {
  switch (which) {
  case NULL_PEN:
    s_stockObjects[1].type = TYPE_PEN;
    s_stockObjects[1].wid = -1;
    return &s_stockObjects[1];
  case NULL_BRUSH:
    s_stockObjects[0].type = TYPE_BRUSH;
    s_stockObjects[0].wid = -1;
    return &s_stockObjects[0];
  }
  return nullptr;
}

void DeleteObject(HGDIOBJ obj) {
  if (obj >= s_stockObjects && obj < s_stockObjects + 2) return;
  if (!HGDIOBJ_VALID(obj)) return;
  if (--obj->additional_refcnt >= 0) return;
  if (obj->type < TYPE_PEN || obj->type > TYPE_BITMAP) return;
  if ((obj->type == TYPE_PEN || obj->type == TYPE_BRUSH) && obj->wid < 0) return;
  if (obj->color) CGColorRelease(obj->color);
  if (obj->ct_FontRef) CFRelease(obj->ct_FontRef);
  // An owned image (wid 1 on a bitmap) is released by the image code that made it, once
  // images exist; nothing here creates one.
  GDP_OBJECT_DELETE(obj);
}

HGDIOBJ SWELL_CloneGDIObject(HGDIOBJ obj) {
  if (!HGDIOBJ_VALID(obj)) return nullptr;
  obj->additional_refcnt++;
  return obj;
}

void SWELL_PushClipRegion(HDC ctx) {
  if (HDC_VALID(ctx) && ctx->ctx) CGContextSaveGState(ctx->ctx);
}

void SWELL_SetClipRegion(HDC ctx, const RECT* r) {
  if (!HDC_VALID(ctx) || !ctx->ctx || !r) return;
  // Width and height in double: any int rectangle, however wide, narrows without overflow.
  CGContextClipToRect(ctx->ctx, CGRectMake(r->left, r->top, (CGFloat)r->right - r->left,
                                           (CGFloat)r->bottom - r->top));
}

void SWELL_PopClipRegion(HDC ctx) {
  if (HDC_VALID(ctx) && ctx->ctx) CGContextRestoreGState(ctx->ctx);
}

bool SWELL_IsRetinaDC(HDC ctx) {
  if (!HDC_VALID(ctx) || !ctx->ctx) return false;
  return CGContextConvertSizeToDeviceSpace(ctx->ctx, CGSizeMake(1, 1)).width > 1.9;
}
