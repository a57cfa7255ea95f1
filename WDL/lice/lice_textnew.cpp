#include "WDL/lice/lice_text.h"
#include "WDL/lice/lice_combine.h"
#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_simd.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

// Scratch bitmaps shared by every font: glyphs are rendered in the first, whole strings for
// bitmaps without a device context in the second. They go with the last font.
static LICE_SysBitmap* s_tempbitmap;
static LICE_SysBitmap* s_nativerender_tempbitmap;
static int s_tempbitmap_refcnt;

// The platform is never the compatibility layer that needs its own text path.
static bool NativeTextIsEmulated() {
  return false;
}

static void ResetScratchColors(LICE_SysBitmap* bm) {
  HDC dc = bm->getDC();
  ::SetTextColor(dc, 0xffffff);
  ::SetBkMode(dc, 1);
  ::SetBkColor(dc, 0);
}

int utf8char(const char* ptr, unsigned short* c, int count) {
  uint32_t code;
  const int len = WDL_Utf8Decode((const unsigned char*)ptr, count < 0 ? 4 : (size_t)count, &code);
  if (c) *c = code > 0xFFFF ? ' ' : (unsigned short)code; // codes are 16 bits here
  return len;
}

int utf8makechar(char* ptr, unsigned short c) {
  unsigned char* p = (unsigned char*)ptr;
  if (c < 0x80) {
    p[0] = (unsigned char)c;
    return 1;
  }
  if (c < 0x800) {
    p[0] = (unsigned char)(0xC0 | (c >> 6));
    p[1] = (unsigned char)(0x80 | (c & 0x3F));
    return 2;
  }
  p[0] = (unsigned char)(0xE0 | (c >> 12));
  p[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
  p[2] = (unsigned char)(0x80 | (c & 0x3F));
  return 3;
}

// Walks the characters of a text of count bytes (negative: up to the NUL; a NUL always ends)
// as layout sees them: carriage returns are skipped and a line feed is a space on a single
// line; otherwise a line feed comes back with *newline set.
struct CharReader {
  const char* p;
  int left;
  bool singleline;
  bool Next(unsigned short* c, bool* newline) {
    for (;;) {
      if (!left || !*p) return false;
      int n = utf8char(p, c, left);
      p += n;
      if (left > 0) left -= n;
      if (*c == '\r') continue;
      *newline = *c == '\n' && !singleline;
      if (*c == '\n') *c = ' ';
      return true;
    }
  }
};

LICE_CachedFont::LICE_CachedFont() {
  memset(m_lowchars, 0, sizeof m_lowchars);
  s_tempbitmap_refcnt++;
}

LICE_CachedFont::~LICE_CachedFont() {
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font) DeleteObject(m_font);
  if (--s_tempbitmap_refcnt == 0) {
    delete s_tempbitmap;
    s_tempbitmap = nullptr;
    delete s_nativerender_tempbitmap;
    s_nativerender_tempbitmap = nullptr;
  }
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color) {
  return std::exchange(m_fg, color);
}
LICE_pixel LICE_CachedFont::SetBkColor(LICE_pixel color) {
  return std::exchange(m_bg, color);
}
LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color) {
  return std::exchange(m_effectcol, color);
}
int LICE_CachedFont::SetBkMode(int mode) {
  return std::exchange(m_bgmode, mode);
}
void LICE_CachedFont::SetCombineMode(int combine, float alpha) {
  m_comb = combine;
  m_alpha = alpha;
}

void LICE_CachedFont::SetFromHFont(HFONT font, int flags) {
  if ((m_flags & LICE_FONT_FLAG_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font) {
    if (!s_tempbitmap) s_tempbitmap = new LICE_SysBitmap(0, 0);
    if (s_tempbitmap->getWidth() < 256 || s_tempbitmap->getHeight() < 256) {
      s_tempbitmap->resize(256, 256);
      ResetScratchColors(s_tempbitmap);
    }
    HDC dc = s_tempbitmap->getDC();
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    m_line_height = tm.tmHeight;
  }
  memset(m_lowchars, 0, sizeof m_lowchars);
  m_extracharlist.Resize(0, false);
  m_cachestore.Resize(0, false);
  if (flags & LICE_FONT_FLAG_PRECALCALL)
    for (int c = 0; c < 128; c++) RenderGlyph((unsigned short)c);
}

int LICE_CachedFont::_charSortFunc(const void* a, const void* b) {
  return ((const charEnt*)a)->charid - ((const charEnt*)b)->charid;
}

LICE_CachedFont::charEnt* LICE_CachedFont::findChar(unsigned short c) {
  if (c < 128) return m_lowchars + c;
  charEnt* list = m_extracharlist.Get();
  int lo = 0, hi = m_extracharlist.GetSize();
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    int d = (int)c - list[mid].charid;
    if (!d) return list + mid;
    if (d < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return nullptr;
}

bool LICE_CachedFont::RenderGlyph(unsigned short idx) {
  if (m_line_height >= 1024) return false;
  charEnt* ent;
  if (idx < 128) {
    ent = m_lowchars + idx;
  } else {
    ent = findChar(idx);
    if (!ent) {
      if (m_flags & LICE_FONT_FLAG_PRECALCALL) return false;
      // Inserted at its sorted place, so that every later lookup finds it.
      const int n = m_extracharlist.GetSize();
      charEnt* list = m_extracharlist.ResizeOK(n + 1, false);
      if (!list) return false;
      int pos = n;
      while (pos > 0 && list[pos - 1].charid > idx) pos--;
      memmove(list + pos + 1, list + pos, (size_t)(n - pos) * sizeof(charEnt));
      ent = list + pos;
      memset(ent, 0, sizeof *ent);
      ent->charid = idx;
    }
  }

  const int lh = m_line_height > 1 ? m_line_height : 1;
  const int need = 2 * lh + 8;
  if (!s_tempbitmap) s_tempbitmap = new LICE_SysBitmap(0, 0);
  if (s_tempbitmap->getWidth() < need || s_tempbitmap->getHeight() < need) {
    s_tempbitmap->resize(need, need);
    ResetScratchColors(s_tempbitmap);
  }
  HDC dc = s_tempbitmap->getDC();
  HGDIOBJ oldfont = nullptr;
  if (m_font) oldfont = SelectObject(dc, m_font);

  const int m = m_line_height / 16 + 2;
  char text[6] = {0};
  if (idx < 128)
    text[0] = (char)idx;
  else
    utf8makechar(text, idx);

  RECT r = {0, 0, 0, 0};
  SWELL_DrawText(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  int advance = r.right;
  int w = r.right + 2 * m, h = r.bottom;
  LICE_FillRect(s_tempbitmap, 0, 0, w, h, 0, 1.0f, 0);
  r.left = m;
  SWELL_DrawText(dc, text, -1, &r, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);

  const int tw = s_tempbitmap->getWidth(), th = s_tempbitmap->getHeight();
  if (advance > tw) advance = tw;
  if (w > tw) w = tw;
  if (h > th) h = th;
  if (m_font) SelectObject(dc, oldfont);

  if (advance < 1 || h < 1) {
    ent->base_offset = -1;
    ent->width = ent->height = ent->advance = ent->left_extra = 0;
    return true;
  }
  ent->advance = advance;
  if (m_flags & LICE_FONT_FLAG_FX_BLUR) LICE_Blur(s_tempbitmap, s_tempbitmap, 0, 0, 0, 0, w, h);

  const int base = m_cachestore.GetSize();
  unsigned char* store = m_cachestore.ResizeOK(base + w * h, false);
  if (!store) {
    ent->base_offset = -1;
    ent->width = ent->height = ent->advance = 0;
    return true;
  }
  ent->base_offset = base + 1;
  unsigned char* mask = store + base;

  const bool invert = (m_flags & LICE_FONT_FLAG_FX_INVERT) != 0;
  const int span = s_tempbitmap->getRowSpan();
  const LICE_pixel* bits = s_tempbitmap->getBits();
  const bool flipped = s_tempbitmap->isFlipped();
  int left = m, right = advance + m;
  for (int y = 0; y < h; y++) {
    const LICE_pixel* row = bits + (std::ptrdiff_t)(flipped ? th - 1 - y : y) * span;
    unsigned char* out = mask + y * w;
    for (int x = 0; x < w; x++) {
      const unsigned char v = (unsigned char)LICE_GETR(row[x]);
      if (v) {
        if (x < left) left = x;
        if (x >= right) right = x + 1;
      }
      out[x] = invert ? 255 - v : v;
    }
  }
  // Crop to the inked columns; the right edge never lies beyond the box read above.
  if (right > w) right = w;
  if (right < w || left > 0) {
    const int nw = right - left;
    for (int y = 0; y < h; y++) memmove(mask + y * nw, mask + y * w + left, (size_t)nw);
    w = nw;
    m_cachestore.Resize(base + w * h, false);
    mask = m_cachestore.Get() + base;
  }

  if (m_flags & LICE_FONT_FLAG_VERTICAL) {
    std::vector<unsigned char> old(mask, mask + w * h);
    const int ow = w, oh = h;
    w = oh;
    h = ow;
    const bool ccw = (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP) != 0;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++)
        mask[y * w + x] =
            ccw ? old[(size_t)x * ow + (ow - 1 - y)] : old[(size_t)(oh - 1 - x) * ow + y];
  }
  const int fx =
      m_flags & (LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE);
  if (fx)
    for (int i = 0; i < w * h; i++) mask[i] = mask[i] > 130 ? 255 : 0;
  if (fx & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE)) {
    const bool shadow = (fx & LICE_FONT_FLAG_FX_SHADOW) != 0;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        unsigned char* p = mask + y * w + x;
        if (*p) continue;
        bool on;
        if (shadow)
          on = (x > 0 && p[-1] == 255) || (x > 0 && y > 0 && p[-w - 1] == 255) ||
               (y > 0 && p[-w] == 255);
        else
          on = (y > 0 && p[-w] == 255) || (y < h - 1 && p[w] == 255) || (x > 0 && p[-1] == 255) ||
               (x < w - 1 && p[1] == 255);
        if (on) *p = 128;
      }
  }
  ent->left_extra = m - left;
  ent->width = w;
  ent->height = h;
  return true;
}

template <class COMBFUNC> struct GlyphRenderer {
  static void Normal(const unsigned char* gsrc, LICE_pixel* pout, int src_span, int dest_span,
                     int width, int height, int red, int green, int blue, int a) {
    for (; height--; gsrc += src_span, pout += dest_span) {
      LICE_pixel_chan* p = (LICE_pixel_chan*)pout;
      for (int x = 0; x < width; x++, p += sizeof(LICE_pixel)) {
        const int v = gsrc[x];
        if (!v) continue;
        int w = a == 256 ? v + 1 : v * a / 256;
        if (w > 256) w = 256;
        COMBFUNC::doPix(p, red, green, blue, 255, w);
      }
    }
  }
  static void Mono(const unsigned char* gsrc, LICE_pixel* pout, int src_span, int dest_span,
                   int width, int height, int red, int green, int blue, int a) {
    for (; height--; gsrc += src_span, pout += dest_span) {
      LICE_pixel_chan* p = (LICE_pixel_chan*)pout;
      for (int x = 0; x < width; x++, p += sizeof(LICE_pixel))
        if (gsrc[x]) COMBFUNC::doPix(p, red, green, blue, 255, a);
    }
  }
  static void Effect(const unsigned char* gsrc, LICE_pixel* pout, int src_span, int dest_span,
                     int width, int height, int red, int green, int blue, int a,
                     LICE_pixel effcol) {
    const int er = LICE_GETR(effcol), eg = LICE_GETG(effcol), eb = LICE_GETB(effcol);
    for (; height--; gsrc += src_span, pout += dest_span) {
      LICE_pixel_chan* p = (LICE_pixel_chan*)pout;
      for (int x = 0; x < width; x++, p += sizeof(LICE_pixel)) {
        const int v = gsrc[x];
        if (!v) continue;
        if (v < 255)
          COMBFUNC::doPix(p, er, eg, eb, 255, a);
        else
          COMBFUNC::doPix(p, red, green, blue, 255, a);
      }
    }
  }
};

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, unsigned short c, int xpos, int ypos,
                                RECT* clipR) {
  charEnt* ent = findChar(c);
  if (!ent || ent->base_offset < 1 || !bm || !clipR || !_LICE_AlphaUsable(m_alpha)) return false;
  if (!(m_flags & LICE_FONT_FLAG_VERTICAL))
    xpos -= ent->left_extra;
  else if (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP)
    ypos -= ent->left_extra;
  else
    ypos += ent->left_extra;

  // A caller's clip rectangle never reaches outside the bitmap.
  RECT clip = {std::max(0, (int)clipR->left), std::max(0, (int)clipR->top),
               std::min(bm->getWidth(), (int)clipR->right),
               std::min(bm->getHeight(), (int)clipR->bottom)};
  clipR = &clip;
  const unsigned char* gsrc = m_cachestore.Get() + ent->base_offset - 1;
  int width = ent->width, height = ent->height;
  if (xpos >= clipR->right || ypos >= clipR->bottom || xpos + width <= clipR->left ||
      ypos + height <= clipR->top)
    return false;
  const int src_span = width;
  if (xpos < clipR->left) {
    gsrc += clipR->left - xpos;
    width -= clipR->left - xpos;
    xpos = clipR->left;
  }
  if (ypos < clipR->top) {
    gsrc += (clipR->top - ypos) * src_span;
    height -= clipR->top - ypos;
    ypos = clipR->top;
  }
  if (xpos + width > clipR->right) width = clipR->right - xpos;
  if (ypos + height > clipR->bottom) height = clipR->bottom - ypos;
  LICE_pixel* bits = bm->getBits();
  if (width < 1 || height < 1 || !bits) return false;

  int dest_span = bm->getRowSpan();
  LICE_pixel* pout = bits + (std::ptrdiff_t)ypos * dest_span + xpos;
  if (bm->isFlipped()) {
    pout = bits + (std::ptrdiff_t)(bm->getHeight() - 1 - ypos) * dest_span + xpos;
    dest_span = -dest_span;
  }

  const int mode = m_comb & ~LICE_BLIT_USE_ALPHA;
  const int op = mode & LICE_BLIT_MODE_MASK;
  if (m_bgmode == 1) LICE_FillRect(bm, xpos, ypos, width, height, m_bg, m_alpha, mode);
  const int r = LICE_GETR(m_fg), g = LICE_GETG(m_fg), b = LICE_GETB(m_fg);
  int a = (int)(m_alpha * 256);
  enum { kNormal, kMono, kEffect } kind = kNormal;
  if (m_flags & LICE_FONT_FLAG_FX_MONO)
    kind = kMono;
  else if (m_flags & (LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE))
    kind = kEffect;

  if (kind != kNormal && m_alpha == 1.0f && op == LICE_BLIT_MODE_COPY) {
    // Whole-word stores: the common case of flat text.
    for (int y = 0; y < height; y++, gsrc += src_span, pout += dest_span)
      for (int x = 0; x < width; x++) {
        const int v = gsrc[x];
        if (v) pout[x] = (kind == kMono || v == 255) ? m_fg : m_effectcol;
      }
    return true;
  }
  if (kind != kNormal && a > 256) a = 256;
  LICE_DispatchOperator<LICE_CopyRule::Copy>(op, a, [&](auto opc) {
    typedef GlyphRenderer<decltype(opc)> G;
    if (kind == kMono)
      G::Mono(gsrc, pout, src_span, dest_span, width, height, r, g, b, a);
    else if (kind == kEffect)
      G::Effect(gsrc, pout, src_span, dest_span, width, height, r, g, b, a, m_effectcol);
    else if (!std::is_same<decltype(opc), _LICE_CombinePixelsCopyNoClamp>::value ||
             !_LICE_GlyphCopy(gsrc, src_span, pout, dest_span, width, height, r, g, b, a))
      G::Normal(gsrc, pout, src_span, dest_span, width, height, r, g, b, a);
  });
  return true;
}

int LICE_CachedFont::DrawTextNative(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                                    UINT dtFlags) {
  if (bm && bm->getDC()) {
    HDC dc = bm->getDC();
    HGDIOBJ oldfont = SelectObject(dc, m_font);
    ::SetTextColor(dc, (int)(m_fg & 0xffffff));
    ::SetBkMode(dc, m_bgmode);
    if (m_bgmode == 1) ::SetBkColor(dc, (int)(m_bg & 0xffffff));
    RECT r = *rect;
    int ret = SWELL_DrawText(dc, str, strcnt, &r, (int)(dtFlags | DT_NOPREFIX));
    if (dtFlags & DT_CALCRECT) *rect = r;
    SelectObject(dc, oldfont);
    return ret;
  }

  if (!s_nativerender_tempbitmap) s_nativerender_tempbitmap = new LICE_SysBitmap(0, 0);
  if (s_nativerender_tempbitmap->getWidth() < 4 || s_nativerender_tempbitmap->getHeight() < 4)
    s_nativerender_tempbitmap->resize(4, 4);
  HDC dc = s_nativerender_tempbitmap->getDC();
  if (!dc) return 0;
  HGDIOBJ oldfont = SelectObject(dc, m_font);
  RECT mr = {0, 0, 0, 0};
  int ret = SWELL_DrawText(dc, str, strcnt, &mr, (int)((dtFlags & ~0xFu) | 0xC00));
  const int width = mr.right, height = mr.bottom;
  if (dtFlags & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
  }
  if ((dtFlags & DT_CALCRECT) || !bm) {
    SelectObject(dc, oldfont);
    return ret;
  }

  int x = (dtFlags & DT_RIGHT)    ? rect->right - width
          : (dtFlags & DT_CENTER) ? (rect->left + rect->right - width) / 2
                                  : rect->left;
  int y = (dtFlags & DT_BOTTOM)    ? rect->bottom - height
          : (dtFlags & DT_VCENTER) ? (rect->top + rect->bottom - height) / 2
                                   : rect->top;
  int x2 = std::min(x + width, bm->getWidth()), y2 = std::min(y + height, bm->getHeight());
  int ax = x, ay = y;
  if (!(dtFlags & DT_NOCLIP)) {
    x2 = std::min(x2, (int)rect->right);
    y2 = std::min(y2, (int)rect->bottom);
    ax = std::max(ax, std::max(0, (int)rect->left));
    ay = std::max(ay, std::max(0, (int)rect->top));
  } else {
    ax = std::max(ax, 0);
    ay = std::max(ay, 0);
  }
  const int offx = x - ax, offy = y - ay; // how far the text starts before the area
  if (x2 <= ax || y2 <= ay) {
    SelectObject(dc, oldfont);
    return ret;
  }
  dtFlags &= ~(UINT)(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM);
  int m = m_line_height / 16 + 2;
  if (m > ax) m = ax;
  ax -= m;
  const int aw = x2 - ax, ah = y2 - ay;
  if (s_nativerender_tempbitmap->getWidth() < aw || s_nativerender_tempbitmap->getHeight() < ah) {
    SelectObject(dc, oldfont);
    s_nativerender_tempbitmap->resize(std::max(aw, s_nativerender_tempbitmap->getWidth()),
                                      std::max(ah, s_nativerender_tempbitmap->getHeight()));
    dc = s_nativerender_tempbitmap->getDC();
    if (!dc) return 0;
    oldfont = SelectObject(dc, m_font);
  }
  LICE_Blit(s_nativerender_tempbitmap, bm, 0, 0, ax, ay, aw, ah, 1.0f, 0);
  ::SetTextColor(dc, (int)(m_fg & 0xffffff));
  ::SetBkMode(dc, m_bgmode);
  if (m_bgmode == 1) ::SetBkColor(dc, (int)(m_bg & 0xffffff));
  RECT tr = {m + offx, offy, aw, ah};
  ret = SWELL_DrawText(dc, str, strcnt, &tr, (int)(dtFlags | DT_NOPREFIX));
  LICE_Blit(bm, s_nativerender_tempbitmap, ax, ay, 0, 0, aw, ah, m_alpha, 0);
  SelectObject(dc, oldfont);
  return ret;
}

int LICE_CachedFont::DrawTextImpl(LICE_IBitmap* bm, const char* str, int strcnt, RECT* rect,
                                  UINT dtFlags) {
  if (!rect || !str) return 0;
  if (!bm && !(dtFlags & DT_CALCRECT)) return 0;
  const bool internal = (dtFlags & LICE_DT_NEEDALPHA) != 0;
  dtFlags &= ~(UINT)LICE_DT_NEEDALPHA;

  const int anyFx = LICE_FONT_FLAG_VERTICAL | LICE_FONT_FLAG_VERTICAL_BOTTOMUP |
                    LICE_FONT_FLAG_PRECALCALL | LICE_FONT_FLAG_FX_BLUR | LICE_FONT_FLAG_FX_INVERT |
                    LICE_FONT_FLAG_FX_MONO | LICE_FONT_FLAG_FX_SHADOW | LICE_FONT_FLAG_FX_OUTLINE;
  if ((!bm || !bm->Extended(0x59555678, nullptr)) &&
      (m_line_height > 255 || ((m_flags & LICE_FONT_FLAG_FORCE_NATIVE) && m_font && !internal &&
                               !NativeTextIsEmulated() && !(dtFlags & LICE_DT_USEFGALPHA) &&
                               !(m_flags & anyFx) && (!m_lsadj || (dtFlags & DT_SINGLELINE)))))
    return DrawTextNative(bm, str, strcnt, rect, dtFlags);

  const bool vertical = (m_flags & LICE_FONT_FLAG_VERTICAL) != 0;
  const bool bottomup = vertical && (m_flags & LICE_FONT_FLAG_VERTICAL_BOTTOMUP);
  const int linestep = m_line_height + m_lsadj;

  // A line feed returns to the start: the next line lies below, or right of vertical text.
  auto nextLine = [&](int& x, int& y, int sx, int sy) {
    if (vertical) {
      x += linestep;
      y = sy;
    } else {
      y += linestep;
      x = sx;
    }
  };
  // Looks a character up, rendering it on first use.
  auto entryFor = [&](unsigned short c) -> charEnt* {
    charEnt* e = findChar(c);
    if (!e || !e->base_offset) {
      if (RenderGlyph(c)) e = findChar(c);
    }
    return e;
  };

  if (dtFlags & DT_CALCRECT) {
    int px = 0, py = 0, ew = 0, eh = 0;
    CharReader rd = {str, strcnt, (dtFlags & DT_SINGLELINE) != 0};
    unsigned short c;
    bool newline;
    while (rd.Next(&c, &newline)) {
      if (newline) {
        nextLine(px, py, 0, 0);
        continue;
      }
      charEnt* e = entryFor(c);
      if (!e || e->base_offset <= 0) continue;
      if (!vertical) {
        ew = std::max(ew, std::max(px + e->advance, px + e->width - e->left_extra));
        eh = std::max(eh, py + e->height);
        px += e->advance;
      } else {
        eh = std::max(eh, std::max(py + e->advance, py + e->height - e->left_extra));
        ew = std::max(ew, px + e->width);
        py += e->advance;
      }
    }
    rect->right = rect->left + ew;
    rect->bottom = rect->top + eh;
    return vertical ? ew : eh;
  }

  const float oldalpha = m_alpha;
  if (dtFlags & LICE_DT_USEFGALPHA) m_alpha *= LICE_GETA(m_fg) / 255.0f;
  if (m_alpha == 0.0f || !_LICE_AlphaUsable(m_alpha)) {
    m_alpha = oldalpha;
    return 0;
  }

  int x = rect->left, y = rect->top;
  const UINT align = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
  if ((dtFlags & align) || bottomup) {
    RECT mr = {0, 0, 0, 0};
    DrawTextImpl(bm, str, strcnt, &mr,
                 (dtFlags & DT_SINGLELINE) | DT_CALCRECT | (internal ? LICE_DT_NEEDALPHA : 0));
    if (dtFlags & DT_CENTER)
      x = (rect->right - rect->left - mr.right) / 2 + x;
    else if (dtFlags & DT_RIGHT)
      x = rect->right - mr.right;
    if (dtFlags & DT_VCENTER)
      y = (rect->bottom - rect->top - mr.bottom) / 2 + y;
    else if (dtFlags & DT_BOTTOM)
      y = rect->bottom - mr.bottom;
    if (bottomup) y += mr.bottom;
  }

  RECT clip;
  if (!(dtFlags & DT_NOCLIP)) {
    clip.left = std::max(0, (int)rect->left);
    clip.top = std::max(0, (int)rect->top);
    clip.right = std::min(bm->getWidth(), (int)rect->right);
    clip.bottom = std::min(bm->getHeight(), (int)rect->bottom);
    if (clip.right <= clip.left || clip.bottom <= clip.top) {
      m_alpha = oldalpha;
      return 0;
    }
  } else {
    clip = RECT{0, 0, bm->getWidth(), bm->getHeight()};
  }

  const int sx = x, sy = y;
  int maxx = sx, maxy = sy;
  CharReader rd = {str, strcnt, (dtFlags & DT_SINGLELINE) != 0};
  unsigned short c;
  bool newline;
  while (rd.Next(&c, &newline)) {
    if (newline) {
      nextLine(x, y, sx, sy);
      continue;
    }
    charEnt* e = entryFor(c);
    if (!e || e->base_offset <= 0 || e->base_offset > m_cachestore.GetSize()) continue;
    if (bottomup) y -= e->height;
    const bool drawn = DrawGlyph(bm, c, x, y, &clip);
    if (!vertical) {
      x += e->advance;
      if (drawn) maxy = std::max(maxy, y + e->height);
    } else {
      y += bottomup ? e->height - e->advance : e->advance;
      if (drawn) maxx = std::max(maxx, x + e->width);
    }
  }
  m_alpha = oldalpha;
  return vertical ? maxx - sx : maxy - sy;
}
