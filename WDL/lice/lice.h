// Raster graphics: 32-bit bitmaps and the drawing functions over them.
//
// A pixel is 0xAARRGGBB with straight (not premultiplied) alpha; in memory its bytes are
// B, G, R, A. Coordinates are pixels with the origin at the top left, y down. Every
// operation clips to its destination and ignores null bitmaps and bitmaps without pixels.
// Bitmaps are not locked: a bitmap is used by one thread at a time (the GUI thread here).
#pragma once

#include "WDL/swell/swell-types.h"

#include <cstdint>

typedef unsigned int LICE_pixel;
typedef unsigned char LICE_pixel_chan;

#define LICE_RGBA(r, g, b, a)                                                                      \
  (((LICE_pixel)(b)&0xff) | (((LICE_pixel)(g)&0xff) << 8) | (((LICE_pixel)(r)&0xff) << 16) |       \
   (((LICE_pixel)(a)&0xff) << 24))
#define LICE_GETB(v) ((v)&0xff)
#define LICE_GETG(v) (((v) >> 8) & 0xff)
#define LICE_GETR(v) (((v) >> 16) & 0xff)
#define LICE_GETA(v) (((v) >> 24) & 0xff)

// Byte index of each channel inside a pixel in memory.
#define LICE_PIXEL_B 0
#define LICE_PIXEL_G 1
#define LICE_PIXEL_R 2
#define LICE_PIXEL_A 3

// The blend mode word: the low byte picks the operator.
#define LICE_BLIT_MODE_MASK 0xff
#define LICE_BLIT_MODE_COPY 0
#define LICE_BLIT_MODE_ADD 1
#define LICE_BLIT_MODE_DODGE 2
#define LICE_BLIT_MODE_MUL 3
#define LICE_BLIT_MODE_OVERLAY 4
#define LICE_BLIT_MODE_HSVADJ 5
// 0xF0-0xFF (LICE_Blit only): copy source byte (mode & 3) into destination byte
// ((mode >> 2) & 3).
#define LICE_BLIT_MODE_CHANCOPY 0xf0
#define LICE_BLIT_FILTER_MASK 0xff00
#define LICE_BLIT_FILTER_BILINEAR 0x100 // scaled and rotated blits
#define LICE_BLIT_USE_ALPHA 0x10000     // weight each source pixel by its own alpha

class LICE_IBitmap {
public:
  virtual ~LICE_IBitmap() {}
  // First pixel of row 0; null when the bitmap has no pixels.
  virtual LICE_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Distance between rows, in pixels (not bytes); at least the width.
  virtual int getRowSpan() = 0;
  // True when rows are stored bottom-up (row 0 last in memory).
  virtual bool isFlipped() { return false; }
  // True when the size changed. Pixels are neither cleared nor rearranged.
  virtual bool resize(int w, int h) = 0;
  // The native device context behind the pixels, or null.
  virtual HDC getDC() { return nullptr; }
  virtual int Extended(int id, void* data) {
    (void)id;
    (void)data;
    return 0;
  }
};

// Pixels in heap memory, starting on a 64-byte boundary. The block only grows while the
// bitmap is non-empty.
class LICE_MemBitmap : public LICE_IBitmap {
public:
  // linealign: row alignment in pixels (its lowest set bit counts, capped to a mask of 16).
  LICE_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_pixel* getBits() override { return (LICE_pixel*)(((uintptr_t)m_fb + 63) & ~(uintptr_t)63); }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return (m_width + m_linealign) & ~m_linealign; }
  bool resize(int w, int h) override { return __resize(w, h); }

  // Bytes of the block, not counting the 63 spare bytes for alignment.
  int getAllocSize() const { return m_allocsize; }

private:
  bool __resize(int w, int h);

  LICE_pixel* m_fb; // raw block, owned; null when empty
  int m_width;
  int m_height;
  int m_allocsize;
  int m_linealign; // mask 0..16
};

// Pixels in the frame buffer of a memory context of the GDI emulation, so native text can
// be drawn into them and the platform can copy them to the screen. The context only grows.
class LICE_SysBitmap : public LICE_IBitmap {
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return m_allocw; }
  bool resize(int w, int h) override { return __resize(w, h); }
  HDC getDC() override { return m_dc; }

private:
  bool __resize(int w, int h);

  int m_width;
  int m_height;
  HDC m_dc; // owned
  LICE_pixel* m_bits;
  int m_allocw; // multiple of 4
  int m_alloch;
};

// ---- Pixel combine functions (mode: the blend mode word; alpha 1.0 = full strength).
LICE_pixel LICE_CombinePixels(LICE_pixel dest, LICE_pixel src, float alpha, int mode);
void LICE_CombinePixels2(LICE_pixel* destptr, int r, int g, int b, int a, int ia, int mode);
void LICE_CombinePixels2Clamp(LICE_pixel* destptr, int r, int g, int b, int a, int ia, int mode);

// ---- Blit, copy, clear, fill and pixel access.
// src_rect null: the whole source. Overlapping blits within one bitmap get no ordering.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* src_rect,
               float alpha, int mode);
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode);
// Resizes dest to src's size and copies it.
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);
void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color);
// pixel = (pixel & and_mask) | or_bits over the rectangle.
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel and_mask = 0,
                    LICE_pixel or_bits = 0);
// Operator 0 moves each pixel's alpha toward (int)(alpha x 256), not the colour's alpha.
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode);
void LICE_MultiplyAddRect(LICE_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd);
void LICE_ProcessRect(LICE_IBitmap* dest, int x, int y, int w, int h,
                      void (*procFunc)(LICE_pixel* p, void* parm), void* parm);
// Alpha 0 where the low 24 bits equal color, 255 elsewhere.
void LICE_SetAlphaFromColorMask(LICE_IBitmap* dest, LICE_pixel color);
// 0 outside the bitmap.
LICE_pixel LICE_GetPixel(LICE_IBitmap* src, int x, int y);
void LICE_PutPixel(LICE_IBitmap* dest, int x, int y, LICE_pixel color, float alpha, int mode);

// ---- Lines. End points are inclusive.
void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha,
               int mode, bool aa);
// Clips the segment in place to xlo <= x < xhi, ylo <= y < yhi; true when some is left.
bool LICE_ClipLine(int* pX1, int* pY1, int* pX2, int* pY2, int xLo, int yLo, int xHi, int yHi);
// Outline covering columns x..x+w and rows y..y+h inclusive.
void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha,
                   int mode);
void LICE_BorderedRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel bgcolor,
                       LICE_pixel fgcolor, float alpha, int mode);

// ---- Image loaders. bmp: a bitmap to decode into (resized to the image), or null for a
// new LICE_MemBitmap (the caller owns it). Each answers the bitmap, or null on any failure.
LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int buflen, LICE_IBitmap* bmp = nullptr);
// name: a file below the main bundle's Contents/Resources/.
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp = nullptr);
// No resources of this kind on this platform: always null.
LICE_IBitmap* LICE_LoadPNGFromResource(HINSTANCE hInst, const char* resid,
                                       LICE_IBitmap* bmp = nullptr);

// The process-wide list of image loaders, most recently registered first.
struct _LICE_ImageLoader_rec {
  LICE_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase);
  // Pairs of NUL-terminated description and pattern strings, ending in an empty string.
  const char* (*get_extlist)();
  _LICE_ImageLoader_rec* _next;
};
extern _LICE_ImageLoader_rec* LICE_ImageLoader_list;

class LICE_PNGLoader {
public:
  _LICE_ImageLoader_rec rec;
  LICE_PNGLoader(); // registers rec at the head of LICE_ImageLoader_list
  static LICE_IBitmap* loadfunc(const char* filename, bool checkFileName, LICE_IBitmap* bmpbase);
  static const char* get_extlist();
};
