// Fonts and text of the GDI emulation: font creation, metrics, measuring and drawing.
#include "WDL/lice/lice.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/swell/swell-gdi-text.h"
#include "WDL/swell/swell-internal.h"
#include "text_ink.h"

#include <CoreText/CoreText.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {

HFONT Make(int height, const char* face = "Arial", int weight = 400, char italic = 0,
           char quality = 0, int width = 0) {
  return CreateFont(height, width, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
}

std::string Face(HFONT f) {
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ old = SelectObject(dc, f);
  char buf[64];
  GetTextFace(dc, sizeof buf, buf);
  SelectObject(dc, old);
  SWELL_DeleteGfxContext(dc);
  DeleteObject(f);
  return buf;
}

// A white-on-black memory context with a font selected.
struct Surface {
  LICE_SysBitmap bm;
  HFONT font;
  HGDIOBJ old;
  explicit Surface(HFONT f, int w = 160, int h = 40) : bm(w, h), font(f) {
    LICE_Clear(&bm, 0);
    old = SelectObject(bm.getDC(), font);
    SetTextColor(bm.getDC(), 0xffffff);
  }
  ~Surface() {
    SelectObject(bm.getDC(), old);
    DeleteObject(font);
  }
  HDC dc() { return bm.getDC(); }
  int Red(int x, int y) { return LICE_GETR(LICE_GetPixel(&bm, x, y)); }
  RECT Measure(const char* text, int flags = 0, int len = -1) {
    RECT r = {0, 0, 0, 0};
    SWELL_DrawText(dc(), text, len, &r, flags | DT_CALCRECT);
    return r;
  }
  RECT Ink() { return InkBox(&bm); }
};

} // namespace

TEST(GdiFont, SizeAndFaceNames) {
  struct Case {
    int height, width;
    double size;
  } sizes[] = {{-12, 0, 12}, {12, 0, 12}, {0, 0, 10}, {0, 14, 14}, {9000, 0, 10}, {1, 0, 10}};
  for (const Case& c : sizes) {
    HFONT f = Make(c.height, "Arial", 400, 0, 0, c.width);
    EXPECT_EQ(CTFontGetSize(f->ct_FontRef), c.size) << c.height << " " << c.width;
    DeleteObject(f);
  }
  EXPECT_EQ(Face(Make(12, "Monaco", 400, 1)), "DejaVu Sans Mono Oblique");
  EXPECT_EQ(Face(Make(12, "Monaco", 700, 0)), "DejaVu Sans Mono Bold");
  EXPECT_EQ(Face(Make(12, "Arial", 700, 1)), "DejaVu Sans Bold Oblique");
  EXPECT_EQ(Face(Make(12, "Unheard Of", 700)), "DejaVu Sans"); // the label font
  EXPECT_EQ(Face(Make(12, nullptr)), "DejaVu Sans");
  // A face name at the copy limit still takes both suffixes without overrunning.
  std::string longName(2000, 'x');
  EXPECT_EQ(Face(Make(12, longName.c_str(), 900, 1)), "DejaVu Sans");
  // The cache maps each distinct text once, to the PostScript name.
  CFStringRef a = SWELL_GetCachedFontName("Arial Bold");
  EXPECT_EQ(a, SWELL_GetCachedFontName("Arial Bold"));
  EXPECT_STREQ(CFStringGetCStringPtr(a, kCFStringEncodingUTF8), "DejaVuSans-Bold");
  EXPECT_STREQ(CFStringGetCStringPtr(SWELL_GetCachedFontName("Nope"), kCFStringEncodingUTF8),
               "Nope");

  struct Q {
    char in, stored;
  } qs[] = {{0, 0}, {3, 3}, {4, 4}, {1, 0}, {5, 0}};
  for (const Q& q : qs) {
    HFONT f = Make(12, "Arial", 400, 0, q.in);
    EXPECT_EQ(f->font_quality, q.stored) << (int)q.in;
    DeleteObject(f);
  }
  char buf[8] = "xxxxxxx";
  lstrcpyn_safe(buf, "abcdef", 4);
  EXPECT_STREQ(buf, "abc");
  lstrcpyn_safe(buf, "zz", 0);
  EXPECT_STREQ(buf, "abc");
}

TEST(GdiFont, TextMetricsFromTheFontUnits) {
  TEXTMETRIC tm;
  EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
  EXPECT_EQ(tm.tmHeight, 16); // the defaults are filled in first
  // DejaVu: ascent 1901/2048, descent 483/2048 of the size, no leading.
  for (int size : {10, 12, 14, 20}) {
    Surface s(Make(size));
    ASSERT_EQ(GetTextMetrics(s.dc(), &tm), 1);
    const int asc = 1901 * size / 2048, desc = 483 * size / 2048;
    EXPECT_EQ(tm.tmAscent, asc);
    EXPECT_EQ(tm.tmDescent, desc);
    EXPECT_EQ(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmHeight, asc + desc + 1);
    EXPECT_EQ(tm.tmAveCharWidth, (asc + desc) * 2 / 3);
  }
  // No font selected: the label font of size 10.
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  EXPECT_EQ(GetTextMetrics(dc, &tm), 1);
  EXPECT_EQ(tm.tmAscent, 9);
  SWELL_DeleteGfxContext(dc);
}

TEST(GdiText, PreparationOfTheText) {
  Surface s(Make(14));
  auto width = [&](const char* t, int flags = 0, int len = -1) {
    return s.Measure(t, flags, len).right;
  };
  EXPECT_EQ(width("a&b"), width("ab"));
  EXPECT_EQ(width("a&b", DT_NOPREFIX), width("a&b", DT_NOPREFIX | DT_SINGLELINE));
  EXPECT_GT(width("a&b", DT_NOPREFIX), width("ab"));
  EXPECT_EQ(width("a&&b"), width("a&b", DT_NOPREFIX));
  EXPECT_EQ(width("ab&"), width("ab"));
  EXPECT_EQ(width("a\rb"), width("ab"));
  EXPECT_EQ(width("abcdef", 0, 3), width("abc"));

  RECT two = s.Measure("one\ntwo"), one = s.Measure("one\ntwo", DT_SINGLELINE);
  const int line = (int)std::floor((1901 + 483) * 14 / 2048.0 + 1.5);
  EXPECT_EQ(one.right, width("one two"));
  EXPECT_EQ(two.right, width("one"));
  EXPECT_EQ(one.bottom, line + 1);
  EXPECT_EQ(two.bottom, 2 * line + 1);

  RECT r = {10, 10, 10, 10};
  int h = SWELL_DrawText(s.dc(), "calc", -1, &r, DT_CALCRECT);
  EXPECT_EQ(r.right, 10 + width("calc"));
  EXPECT_EQ(r.bottom, 10 + h);

  // Cut at 4095 bytes, and never inside a UTF-8 sequence.
  std::string big(5000, 'i');
  EXPECT_EQ(width(big.c_str()), width(big.substr(0, 4095).c_str()));
  std::string split(4094, 'i');
  split += "\xc3\xa9xyz"; // the e-acute straddles the limit
  EXPECT_EQ(width(split.c_str()), width(std::string(4094, 'i').c_str()));
  // Not UTF-8: nothing is laid out; an empty text neither.
  EXPECT_EQ(SWELL_DrawText(s.dc(), "caf\xe9", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SWELL_DrawText(s.dc(), "\r", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SWELL_DrawText(nullptr, "x", -1, &r, DT_CALCRECT), 0);
}

TEST(GdiText, InkLiesInsideTheMeasuredRectangleForEachAlignment) {
  const int aligns[] = {0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_CENTER | DT_VCENTER};
  for (int a : aligns)
    for (const char* text : {"Harmonic Minor", "C#4", "Wj|gy"}) {
      Surface s(Make(14));
      RECT box = {5, 2, 150, 38};
      RECT m = s.Measure(text);
      SWELL_DrawText(s.dc(), text, -1, &box, a | DT_SINGLELINE);
      int x = box.left, y = box.top, w = m.right, h = m.bottom;
      if (a & DT_RIGHT)
        x += (box.right - box.left) - w;
      else if (a & DT_CENTER)
        x += (box.right - box.left) / 2 - w / 2;
      if (a & DT_BOTTOM)
        y += (box.bottom - box.top) - h;
      else if (a & DT_VCENTER)
        y += (box.bottom - box.top) / 2 - h / 2;
      RECT ink = s.Ink();
      ASSERT_GE(ink.left, 0);
      EXPECT_GE(ink.left, x - 1) << text << " " << a;
      EXPECT_LE(ink.right, x + w + 1) << text << " " << a;
      EXPECT_GE(ink.top, y) << text << " " << a;
      EXPECT_LE(ink.bottom, y + h) << text << " " << a;
    }
}

TEST(GdiText, ClippingBackgroundAndQuality) {
  {
    Surface s(Make(16));
    RECT r = {0, 0, 20, 40};
    SWELL_DrawText(s.dc(), "Wide text", -1, &r, DT_SINGLELINE);
    EXPECT_LE(s.Ink().right, 20);
    LICE_Clear(&s.bm, 0);
    SWELL_DrawText(s.dc(), "Wide text", -1, &r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(s.Ink().right, 40);
  }
  {
    // Opaque background fills exactly the measured rectangle of the line.
    Surface s(Make(12));
    SetTextColor(s.dc(), 0x000000);
    SetBkColor(s.dc(), 0xff0000);
    SetBkMode(s.dc(), OPAQUE);
    RECT m = s.Measure("Bk"), r = {7, 3, 100, 40};
    SWELL_DrawText(s.dc(), "Bk", -1, &r, 0);
    RECT ink = s.Ink();
    EXPECT_EQ(ink.left, 7);
    EXPECT_EQ(ink.top, 3);
    EXPECT_EQ(ink.right, 7 + m.right);
    EXPECT_EQ(ink.bottom, 3 + m.bottom);
  }
  // Quality 3 draws two levels, 4 many, 0 leaves the context's setting.
  struct Case {
    char quality;
    bool contextAA, manyLevels;
  } cases[] = {{3, true, false}, {4, false, true}, {0, true, true}, {0, false, false}};
  for (const Case& c : cases) {
    Surface s(Make(16, "Arial", 400, 0, c.quality));
    CGContextSetShouldAntialias((CGContextRef)SWELL_GetCtxGC(s.dc()), c.contextAA);
    RECT r = {0, 0, 160, 40};
    SWELL_DrawText(s.dc(), "Quality", -1, &r, 0);
    std::set<int> levels;
    for (int y = 0; y < 40; y++)
      for (int x = 0; x < 160; x++) levels.insert(s.Red(x, y));
    EXPECT_EQ(levels.size() > 2, c.manyLevels) << (int)c.quality;
  }
}

TEST(GdiText, GlyphIndices) {
  Surface s(Make(12));
  wchar_t ok[] = {L'A', 0xe9}, bad[] = {L'A', 0x10000};
  unsigned short g[2] = {7, 7};
  EXPECT_EQ(GetGlyphIndicesW(s.dc(), ok, 2, g, 0), 2);
  EXPECT_NE(g[0], 0);
  EXPECT_EQ(GetGlyphIndicesW(s.dc(), bad, 2, g, 1), 0);
  EXPECT_EQ(g[0], 0xffff);
  EXPECT_EQ(AddFontResourceEx("/tmp/none.ttf", 1, nullptr), 0);
}
