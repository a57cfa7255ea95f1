// Text drawing into bitmaps through native fonts of the GDI emulation, with a glyph cache.
// Fonts and the scratch bitmaps they share are used on the GUI thread only (no locks).
#pragma once

#include "WDL/heapbuf.h"
#include "WDL/lice/lice.h"

// Font flags of SetFromHFont.
#define LICE_FONT_FLAG_VERTICAL 1
#define LICE_FONT_FLAG_VERTICAL_BOTTOMUP 2 // with VERTICAL: text runs upwards
#define LICE_FONT_FLAG_PRECALCALL 4        // render 0-127 at once, never 128 and up
#define LICE_FONT_FLAG_FX_BLUR 0x10
#define LICE_FONT_FLAG_FX_INVERT 0x20
#define LICE_FONT_FLAG_FX_MONO 0x40
#define LICE_FONT_FLAG_FX_SHADOW 0x80
#define LICE_FONT_FLAG_FX_OUTLINE 0x100 // the shadow wins when both are set
#define LICE_FONT_FLAG_OWNS_HFONT 0x200
#define LICE_FONT_FLAG_FORCE_NATIVE 0x400 // prefer the native path where the text allows

// Text flags beyond the DrawText values of swell-types.h.
#define LICE_DT_USEFGALPHA 0x40000000 // multiply alpha by the text colour's alpha byte / 255
#define LICE_DT_NEEDALPHA 0x80000000  // internal: the font's own measuring calls

class LICE_IFont {
public:
  virtual ~LICE_IFont() {}
  virtual void SetFromHFont(HFONT font, int flags = 0) = 0;
  // Each setter answers the previous value.
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetBkColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0; // 1: fill each glyph's box with the background first
  virtual void SetCombineMode(int combine, float alpha = 1.0f) = 0;
  // UTF-8 text, strcnt bytes (negative: up to the NUL). Answers the height drawn (the width
  // for vertical fonts); with DT_CALCRECT only sets rect's right and bottom.
  virtual int DrawText(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual HFONT GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

// Decodes one character of at most count bytes (negative: NUL-terminated) into *c (when
// given) and answers the bytes used. Lead bytes below 0xC2 and broken sequences decode as
// the byte itself; four-byte sequences decode as a space.
int utf8char(const char* ptr, unsigned short* c, int count = -1);
// Encodes c as UTF-8 (1 to 3 bytes, no terminator) and answers the bytes written.
int utf8makechar(char* ptr, unsigned short c);

class LICE_CachedFont : public LICE_IFont {
public:
  LICE_CachedFont();
  ~LICE_CachedFont() override;
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  void SetFromHFont(HFONT font, int flags = 0) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBkColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int combine, float alpha = 1.0f) override;
  int DrawText(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags) override {
    return DrawTextImpl(bm, str, strcnt, rect, dtFlags);
  }
  LICE_pixel GetTextColor() override { return m_fg; }
  HFONT GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_line_height; }

  // Draws character c's cached mask with its pen position at (xpos, ypos), inside clipR.
  virtual bool DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos, RECT* clipR);

protected:
  struct charEnt {
    int base_offset; // 0 not rendered, -1 nothing to draw, else mask offset + 1
    int width, height;
    int advance;
    int charid;
    int left_extra; // mask drawn this far before the pen position
  };
  static int _charSortFunc(const void* a, const void* b);

  bool RenderGlyph(unsigned short idx);
  charEnt* findChar(unsigned short c);
  int DrawTextImpl(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags);
  int DrawTextNative(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect, UINT dtFlags);

  LICE_pixel m_fg = 0;
  LICE_pixel m_bg = 0xffffffff;
  LICE_pixel m_effectcol = 0xffffffff;
  int m_bgmode = 0;
  int m_comb = 0;
  float m_alpha = 1.0f;
  int m_flags = 0;
  int m_line_height = 0;
  int m_lsadj = 0; // extra pixels between lines
  charEnt m_lowchars[128];
  WDL_TypedBuf<charEnt> m_extracharlist{4096};
  WDL_TypedBuf<unsigned char> m_cachestore{65536};
  HFONT m_font = nullptr;
};
