// Functions of the GDI emulation. Every function checks its handles on entry and answers
// 0 or null for an invalid one. Contexts and objects are used by one thread at a time
// (the GUI thread here); creating and deleting them is safe from any thread.
#pragma once

#include "WDL/swell/swell-types.h"

#include <cwchar>

// Memory contexts: w x h pixels of 32 bits (0xXXRRGGBB, bytes B, G, R, X), rows of
// exactly w pixels, row 0 first; user coordinates have the origin at the top left.
// Null when w or h is below 1 or the buffer cannot be had.
HDC SWELL_CreateMemContext(HDC reference, int w, int h);
// First pixel of a memory context's buffer (64-byte aligned); null for other contexts.
void* SWELL_GetCtxFrameBuffer(HDC ctx);
// Releases the context; a memory context's buffer goes with it.
void SWELL_DeleteGfxContext(HDC ctx);
// A context over a caller's graphics context (not owned, no frame buffer).
HDC SWELL_CreateGfxContext(void* graphicsContext);
// The platform graphics context (CGContextRef) behind a context.
void* SWELL_GetCtxGC(HDC ctx);

// Colours are colour words 0x00RRGGBB.
void SetTextColor(HDC ctx, int color);
int GetTextColor(HDC ctx); // -1 for an invalid context
void SetBkColor(HDC ctx, int color);
void SetBkMode(HDC ctx, int mode);

// Selects a pen, brush or font; answers the previous one, or the placeholder 1 (pen),
// 2 (brush) or 3 (font) when the slot was empty. Selecting takes no reference.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
// Takes one reference away; the object goes when no reference is left.
void DeleteObject(HGDIOBJ obj);
// Adds one reference; null for an invalid object.
HGDIOBJ SWELL_CloneGDIObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int which);

// The clip stack: push saves the whole graphics state, set narrows the clip, pop restores.
void SWELL_PushClipRegion(HDC ctx);
void SWELL_SetClipRegion(HDC ctx, const RECT* r);
void SWELL_PopClipRegion(HDC ctx);

bool SWELL_IsRetinaDC(HDC ctx);
bool SWELL_IsRetinaHWND(HWND hwnd);

// Pens, brushes and shapes.
HPEN CreatePen(int style, int width, int color);
HPEN CreatePenAlpha(int style, int width, int color, float alpha);
HBRUSH CreateSolidBrush(int color);
HBRUSH CreateSolidBrushAlpha(int color, float alpha);
void SWELL_FillRect(HDC ctx, const RECT* r, HBRUSH brush);
void Rectangle(HDC ctx, int l, int t, int r, int b);
void Ellipse(HDC ctx, int l, int t, int r, int b);
void RoundRect(HDC ctx, int l, int t, int r, int b, int w, int h);
void SWELL_Polygon(HDC ctx, POINT* pts, int npts);
void MoveToEx(HDC ctx, int x, int y, POINT* old);
void SWELL_LineTo(HDC ctx, int x, int y);
void PolyPolyline(HDC ctx, POINT* pts, unsigned int* counts, int ncounts);
void PolyBezierTo(HDC ctx, POINT* pts, int np);
void SWELL_SetPixel(HDC ctx, int x, int y, int color);
void SWELL_FillDialogBackground(HDC ctx, const RECT* r, int level);

// Windows, images and blits between contexts.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
void ReleaseDC(HWND hwnd, HDC ctx);
void BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int xin, int yin, int mode);
void StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int xin, int yin, int srcw, int srch,
                int mode);
HBITMAP CreateBitmap(int width, int height, int numplanes, int bitsperpixel, unsigned char* bits);
HICON CreateIconIndirect(ICONINFO* info);
void* GetNSImageFromHICON(HICON icon);
int GetObject(HGDIOBJ obj, int bufsz, void* buf);
HICON LoadNamedImage(const char* name, bool alphaFromMagentaOnly);
void DrawImageInRect(HDC ctx, HGDIOBJ img, const RECT* r);
HIMAGELIST ImageList_CreateEx();
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
int ImageList_ReplaceIcon(HIMAGELIST list, int offset, HICON image);
BOOL ImageList_Remove(HIMAGELIST list, int idx);
void ImageList_Destroy(HIMAGELIST list);
int GetSysColor(int idx);

// Fonts and text (UTF-8).
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                 char underline, char strikeout, char charset, char outprec, char clipprec,
                 char quality, char pitchandfamily, const char* facename);
HFONT CreateFontIndirect(LOGFONT* lf);
int GetTextMetrics(HDC ctx, TEXTMETRIC* tm);
// len in bytes, negative: up to the terminating zero. Answers the text height in pixels.
int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* r, int flags);
int GetTextFace(HDC ctx, int nCount, char* name);
int GetGlyphIndicesW(HDC ctx, wchar_t* chars, int count, unsigned short* glyphs, int flags);
int AddFontResourceEx(const char* path, unsigned int flags, void* reserved);
