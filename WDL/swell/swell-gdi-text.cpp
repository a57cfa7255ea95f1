// Fonts and text of the GDI emulation over CoreText.
//
// Where the Win32 emulation on the Mac asks the application kit for a font ("font with name",
// "label font"), we ask CoreText directly: CTFontCreateWithName answers null for a face it
// does not know, and the label font is CTFontCreateUIFontForLanguage(kCTFontUIFontLabel).
#include "WDL/swell/swell-gdi-text.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/swell/swell-internal.h"

#include "WDL/assocarray.h"
#include "WDL/heapbuf.h"
#include "WDL/mutex.h"
#include "WDL/utf8.h"

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <algorithm>
#include <cmath>
#include <cstring>

void lstrcpyn_safe(char* dst, const char* src, int n) {
  if (n < 1 || !dst) return;
  int i = 0;
  if (src)
    for (; i < n - 1 && src[i]; i++) dst[i] = src[i];
  dst[i] = 0;
}

static void releaseString(CFStringRef s) {
  CFRelease(s);
}

// Face-name text -> PostScript name; entries are only ever added. The mutex is built first.
static WDL_Mutex s_fontnamecache_mutex;
static WDL_StringKeyedArray<CFStringRef> s_fontnamecache(true, releaseString);

// Bytes that are not UTF-8 read by the project's one rule, as the glyph path reads them.
CFStringRef CStringToNSString(const char* text) {
  if (!text) text = "";
  CFStringRef s = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  if (!s)
    s = CFStringCreateWithCString(nullptr, WDL_Utf8Sanitize(text, strlen(text)).c_str(),
                                  kCFStringEncodingUTF8);
  return s;
}

static CFStringRef EmptyString() {
  static CFStringRef s = CStringToNSString("");
  return s;
}

CFStringRef SWELL_GetCachedFontName(const char* name) {
  if (!name || !*name) return EmptyString();
  {
    WDL_MutexLock lock(&s_fontnamecache_mutex);
    if (CFStringRef s = s_fontnamecache.Get(name)) return s;
  }
  CFStringRef str = CStringToNSString(name);
  if (!str) return EmptyString();
  // Our CoreText is always recent enough to be asked for the PostScript name.
  if (CTFontRef f = CTFontCreateWithName(str, 10.0, nullptr)) {
    if (CFStringRef ps = CTFontCopyPostScriptName(f)) {
      CFRelease(str);
      str = ps;
    }
    CFRelease(f);
  }
  WDL_MutexLock lock(&s_fontnamecache_mutex);
  // Another thread may have put the same name in meanwhile: keep the first, so that
  // strings already handed out stay alive.
  if (CFStringRef s = s_fontnamecache.Get(name)) {
    CFRelease(str);
    return s;
  }
  // Should the cache fail to grow, the string is simply kept for the process.
  s_fontnamecache.Insert(name, str);
  return str;
}

static CTFontRef LabelFont(CGFloat size) {
  return CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, size, nullptr);
}

// The label font of size 10, made on first request and kept for the process.
static CTFontRef DefaultFont() {
  static CTFontRef f = LabelFont(10.0);
  return f;
}

HFONT CreateFont(int height, int width, int, int orientation, int weight, char italic, char, char,
                 char, char, char, char quality, char, const char* facename) {
  HGDIOBJ__* font = GDP_OBJECT_NEW();
  if (!font) return nullptr;
  font->type = TYPE_FONT;
  float size = (float)(height ? height : width);
  if (size < 0) size = -size;
  if (size < 2 || size > 8192) size = 10;
  font->fontangle = orientation / 10.0f;

  // Room for 899 characters of the face name and both suffixes.
  char name[900 + sizeof(" Bold Italic")];
  lstrcpyn_safe(name, facename, 900);
  if (weight >= 700) strcat(name, " Bold");
  if (italic) strcat(name, " Italic");

  CFStringRef ps = SWELL_GetCachedFontName(name);
  font->ct_FontRef = CTFontCreateWithName(ps, size, nullptr);
  if (!font->ct_FontRef) font->ct_FontRef = LabelFont(size);
  unsigned char q = (unsigned char)quality;
  font->font_quality = (q == 0 || q == 3 || q == 4) ? q : 0;
  return font;
}

HFONT CreateFontIndirect(LOGFONT* lf) {
  if (!lf) return nullptr;
  char face[sizeof lf->lfFaceName + 1];
  memcpy(face, lf->lfFaceName, sizeof lf->lfFaceName);
  face[sizeof lf->lfFaceName] = 0; // a full array need not be terminated
  return CreateFont(lf->lfHeight, lf->lfWidth, lf->lfEscapement, lf->lfOrientation, lf->lfWeight,
                    lf->lfItalic, lf->lfUnderline, lf->lfStrikeOut, lf->lfCharSet,
                    lf->lfOutPrecision, lf->lfClipPrecision, lf->lfQuality, lf->lfPitchAndFamily,
                    face);
}

static CTFontRef SelectedFont(HDC ctx) {
  HGDIOBJ__* f = (HGDIOBJ__*)ctx->curfont;
  if (HGDIOBJ_VALID(f, TYPE_FONT) && f->ct_FontRef) return f->ct_FontRef;
  return DefaultFont();
}

int GetTextMetrics(HDC ctx, TEXTMETRIC* tm) {
  if (tm) {
    tm->tmHeight = 16;
    tm->tmAscent = 12;
    tm->tmDescent = 4;
    tm->tmInternalLeading = 3;
    tm->tmAveCharWidth = 10;
  }
  if (!HDC_VALID(ctx) || !tm) return 0;
  CTFontRef font = SelectedFont(ctx);
  if (!font) return 1;
  tm->tmInternalLeading = (int)CTFontGetLeading(font);
  tm->tmAscent = (int)CTFontGetAscent(font);
  tm->tmDescent = (int)CTFontGetDescent(font);
  tm->tmHeight = tm->tmInternalLeading + tm->tmAscent + tm->tmDescent;
  tm->tmAveCharWidth = tm->tmHeight * 2 / 3;
  if (tm->tmHeight) tm->tmHeight++;
  return 1;
}

// Copies the text as drawn into buf (4096 bytes); answers its length.
static int SWELL_PrepareText(const char* text, int len, int flags, char* buf) {
  const int kMax = 4095;
  int n = 0;
  int i = 0; // at the end of a full buffer: the first byte left out
  bool full = false;
  if (text) {
    for (; (len < 0 || i < len) && text[i]; i++) {
      char c = text[i];
      if (c == '&' && !(flags & DT_NOPREFIX)) {
        // The next character is handled as usual: "&&" gives one ampersand.
        if (++i >= len && len >= 0) break;
        c = text[i];
        if (!c) break;
      }
      if (c == '\r') continue;
      if (c == '\n' && (flags & DT_SINGLELINE)) c = ' ';
      if (n >= kMax) {
        full = true;
        break;
      }
      buf[n++] = c;
    }
  }
  if (full) {
    // Never end inside a UTF-8 sequence: the last character is read with the bytes left out
    // after it, and dropped when it needed them. A byte that is no such sequence stays.
    int start = n;
    while (start > 0 && n - start < 2 && ((unsigned char)buf[start - 1] & 0xC0) == 0x80) start--;
    if (start > 0) start--;
    unsigned char seq[4];
    size_t have = 0;
    for (int k = start; k < n && have < 4; k++) seq[have++] = (unsigned char)buf[k];
    for (int k = i; have < 4 && (len < 0 || k < len) && text[k]; k++) seq[have++] = text[k];
    uint32_t cp;
    if (WDL_Utf8Decode(seq, have, &cp) > n - start) n = start;
  }
  buf[n] = 0;
  return n;
}

int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* r, int flags) {
  if (!HDC_VALID(ctx) || !r) return 0;
  char buf[4096];
  if (!SWELL_PrepareText(text, len, flags, buf)) return 0;
  bool multiline = strchr(buf, '\n') != nullptr;
  CFStringRef str = CStringToNSString(buf);
  if (!str) return 0;
  CTFontRef font = SelectedFont(ctx);
  if (!font) {
    CFRelease(str);
    return 0;
  }
  const void* keys[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* vals[2] = {font, ctx->curtextcol_obj};
  CFDictionaryRef attrs =
      CFDictionaryCreate(nullptr, keys, vals, ctx->curtextcol_obj ? 2 : 1,
                         &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef as = CFAttributedStringCreate(nullptr, str, attrs);
  CFRelease(attrs);
  CFRelease(str);

  CTLineRef line = nullptr;
  CTFrameRef frame = nullptr;
  CFArrayRef lines = nullptr;
  int width = 0, height = 0;
  if (!multiline) {
    line = CTLineCreateWithAttributedString(as);
    CGFloat asc = 0, desc = 0, lead = 0;
    double w = CTLineGetTypographicBounds(line, &asc, &desc, &lead);
    width = (int)std::floor(w + 0.5);
    height = (int)std::floor(asc + desc + lead + 1.5);
  } else {
    CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(as);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 100000, 100000));
    frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
    CGPathRelease(path);
    CFRelease(fs);
    lines = CTFrameGetLines(frame);
    for (CFIndex i = 0, n = CFArrayGetCount(lines); i < n; i++) {
      CGFloat asc = 0, desc = 0, lead = 0;
      double w = CTLineGetTypographicBounds((CTLineRef)CFArrayGetValueAtIndex(lines, i), &asc,
                                            &desc, &lead);
      width = std::max(width, (int)std::floor(w + 0.5));
      height += (int)std::floor(asc + desc + lead + 1.5);
    }
  }
  CFRelease(as);
  if (height) height++;

  if (flags & DT_CALCRECT) {
    r->right = r->left + width;
    r->bottom = r->top + height;
  } else if (ctx->ctx) {
    int x = r->left, y = r->top;
    if (flags & DT_RIGHT)
      x += (r->right - r->left) - width;
    else if (flags & DT_CENTER)
      x += (r->right - r->left) / 2 - width / 2;
    if (flags & DT_BOTTOM)
      y += (r->bottom - r->top) - height;
    else if (flags & DT_VCENTER)
      y += (r->bottom - r->top) / 2 - height / 2;

    CGContextRef gc = ctx->ctx;
    CGContextSaveGState(gc);
    CGContextSetTextMatrix(gc, CGAffineTransform{1, 0, 0, -1, 0, 0});
    if (!(flags & DT_NOCLIP))
      CGContextClipToRect(gc, CGRectMake(r->left, r->top, r->right - r->left, r->bottom - r->top));
    CGColorRef bk = ctx->curbkmode == OPAQUE ? CreateColor(ctx->curbkcol, 1.0f) : nullptr;
    HGDIOBJ__* fo = (HGDIOBJ__*)ctx->curfont;
    if (HGDIOBJ_VALID(fo, TYPE_FONT) && fo->font_quality)
      CGContextSetShouldAntialias(gc, fo->font_quality == ANTIALIASED_QUALITY);
    if (line) {
      CGFloat asc = 0;
      CTLineGetTypographicBounds(line, &asc, nullptr, nullptr);
      if (bk) {
        CGContextSetFillColorWithColor(gc, bk);
        CGContextFillRect(gc, CGRectMake(x, y, width, height));
      }
      CGContextSetTextPosition(gc, x, y + asc);
      CTLineDraw(line, gc);
    } else {
      double ly = y;
      for (CFIndex i = 0, n = CFArrayGetCount(lines); i < n; i++) {
        CTLineRef l = (CTLineRef)CFArrayGetValueAtIndex(lines, i);
        CGFloat asc = 0, desc = 0, lead = 0;
        double w = CTLineGetTypographicBounds(l, &asc, &desc, &lead);
        if (bk) {
          CGContextSetFillColorWithColor(gc, bk);
          CGContextFillRect(gc, CGRectMake(x, ly, w, asc + desc + lead));
        }
        CGContextSetTextPosition(gc, x, ly + asc);
        CTLineDraw(l, gc);
        ly += std::floor(asc + desc + lead + 0.5);
      }
    }
    CGContextRestoreGState(gc);
    if (bk) CGColorRelease(bk);
  }
  if (line) CFRelease(line);
  if (frame) CFRelease(frame);
  return height;
}

int GetTextFace(HDC ctx, int nCount, char* name) {
  if (!HDC_VALID(ctx) || nCount < 1 || !name) return 0;
  CTFontRef font = SelectedFont(ctx);
  CFStringRef dn = font ? CTFontCopyDisplayName(font) : nullptr;
  if (!dn) return 0;
  lstrcpyn_safe(name, CFStringGetCStringPtr(dn, kCFStringEncodingUTF8), nCount);
  CFRelease(dn);
  return (int)strlen(name);
}

int GetGlyphIndicesW(HDC ctx, wchar_t* chars, int count, unsigned short* glyphs, int flags) {
  if (HDC_VALID(ctx) && chars && glyphs && count > 0) {
    HGDIOBJ__* f = (HGDIOBJ__*)ctx->curfont;
    if (HGDIOBJ_VALID(f, TYPE_FONT) && f->ct_FontRef) {
      WDL_TypedBuf<UniChar> units;
      UniChar* u = units.Resize(count);
      bool fits = units.GetSize() == count;
      for (int i = 0; fits && i < count; i++) {
        if ((unsigned)chars[i] > 0xFFFF)
          fits = false;
        else
          u[i] = (UniChar)chars[i];
      }
      if (fits && CTFontGetGlyphsForCharacters(f->ct_FontRef, u, glyphs, count)) return count;
    }
  }
  if (glyphs)
    for (int i = 0; i < count; i++) glyphs[i] = flags == 1 ? 0xffff : 0;
  return 0;
}

// Our CoreText has no font manager to register files with: nothing is registered.
int AddFontResourceEx(const char*, unsigned int, void*) {
  return 0;
}
