// Fonts and text of the GDI emulation: font creation, metrics, measuring and drawing.
#include "WDL/lice/lice.h"
#include "WDL/lice/lice_test_bitmaps.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/swell/swell-gdi-text.h"
#include "WDL/swell/swell-internal.h"

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

// A white-on-black memory context with a font selected (and deleted at the end).
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
  RECT Measure(const char* text, int flags = 0, int len = -1) {
    RECT r = {0, 0, 0, 0};
    SWELL_DrawText(dc(), text, len, &r, flags | DT_CALCRECT);
    return r;
  }
  std::string Face() {
    char buf[64];
    GetTextFace(dc(), sizeof buf, buf);
    return buf;
  }
};

} // namespace

TEST(GdiFont, SizeQualityAndFaceNames) {
  struct Case {
    int height, width;
    double size;
  } sizes[] = {{-12, 0, 12}, {12, 0, 12}, {0, 0, 10}, {0, 14, 14}, {9000, 0, 10}, {1, 0, 10}};
  for (const Case& c : sizes) {
    Surface s(Make(c.height, "Arial", 400, 0, 0, c.width));
    EXPECT_EQ(CTFontGetSize(s.font->ct_FontRef), c.size) << c.height << " " << c.width;
  }
  for (auto q : {std::pair<char, char>{0, 0}, {3, 3}, {4, 4}, {1, 0}, {5, 0}}) {
    Surface s(Make(12, "Arial", 400, 0, q.first));
    EXPECT_EQ(s.font->font_quality, q.second) << (int)q.first;
  }
  // A face name at the copy limit still takes both suffixes without overrunning.
  const std::string longName(2000, 'x');
  const struct {
    const char* face;
    int weight;
    char italic;
    const char* want;
  } faces[] = {{"Monaco", 400, 1, "DejaVu Sans Mono Oblique"},
               {"Monaco", 700, 0, "DejaVu Sans Mono Bold"},
               {"Arial", 700, 1, "DejaVu Sans Bold Oblique"},
               {"Unheard Of", 700, 0, "DejaVu Sans"}, // the label font
               {nullptr, 400, 0, "DejaVu Sans"},
               {longName.c_str(), 900, 1, "DejaVu Sans"}};
  for (auto& f : faces) EXPECT_EQ(Surface(Make(12, f.face, f.weight, f.italic)).Face(), f.want);
  // The cache maps each distinct text once, to the PostScript name.
  CFStringRef a = SWELL_GetCachedFontName("Arial Bold");
  EXPECT_EQ(a, SWELL_GetCachedFontName("Arial Bold"));
  EXPECT_STREQ(CFStringGetCStringPtr(a, kCFStringEncodingUTF8), "DejaVuSans-Bold");
  char buf[8] = "xxxxxxx";
  lstrcpyn_safe(buf, "abcdef", 4);
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
    EXPECT_EQ(tm.tmAscent, asc) << size;
    EXPECT_EQ(tm.tmDescent, desc) << size;
    EXPECT_EQ(tm.tmInternalLeading, 0) << size;
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
  EXPECT_EQ(one.bottom, line + 1);
  EXPECT_EQ(two.right, width("one"));
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
  std::string wide(4092, 'i');
  wide += "\xf0\x9f\x8e\xb5xyz"; // three of its four bytes fit
  EXPECT_EQ(width(wide.c_str()), width(std::string(4092, 'i').c_str()));
  std::string latin(4094, 'i');
  latin += "\xe9xyz"; // a lone Latin-1 byte at the limit is a whole character
  EXPECT_EQ(width(latin.c_str()), width(latin.substr(0, 4095).c_str()));
  // Not UTF-8: each stray byte reads as its Latin-1 character; an empty text lays out nothing.
  EXPECT_EQ(width("caf\xe9"), width("caf\xc3\xa9"));
  EXPECT_EQ(SWELL_DrawText(s.dc(), "\r", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(SWELL_DrawText(nullptr, "x", -1, &r, DT_CALCRECT), 0);
}

TEST(GdiText, InkLiesInsideTheMeasuredRectangleForEachAlignment) {
  for (int a : {0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_CENTER | DT_VCENTER})
    for (const char* text : {"Harmonic Minor", "C#4", "Wj|gy"}) {
      Surface s(Make(14));
      const RECT box = {5, 2, 150, 38}, m = s.Measure(text);
      RECT r = box;
      SWELL_DrawText(s.dc(), text, -1, &r, a | DT_SINGLELINE);
      const int x = box.left + (a & DT_RIGHT    ? 145 - m.right
                                : a & DT_CENTER ? 145 / 2 - m.right / 2
                                                : 0);
      const int y = box.top + (a & DT_BOTTOM    ? 36 - m.bottom
                               : a & DT_VCENTER ? 36 / 2 - m.bottom / 2
                                                : 0);
      const RECT ink = InkBox(&s.bm);
      ASSERT_GE(ink.left, 0);
      EXPECT_GE(ink.left, x - 1) << text << " " << a;
      EXPECT_LE(ink.right, x + m.right + 1) << text << " " << a;
      EXPECT_GE(ink.top, y) << text << " " << a;
      EXPECT_LE(ink.bottom, y + m.bottom) << text << " " << a;
    }
}

TEST(GdiText, ClippingBackgroundAndQuality) {
  for (int noclip : {0, DT_NOCLIP}) {
    Surface s(Make(16));
    RECT r = {0, 0, 20, 40};
    SWELL_DrawText(s.dc(), "Wide text", -1, &r, DT_SINGLELINE | noclip);
    EXPECT_EQ(InkBox(&s.bm).right > 40, noclip != 0);
    EXPECT_GT(InkBox(&s.bm).right, 10);
  }
  {
    // Opaque background fills exactly the measured rectangle of the line.
    Surface s(Make(12));
    SetTextColor(s.dc(), 0x000000);
    SetBkColor(s.dc(), 0xff0000);
    SetBkMode(s.dc(), OPAQUE);
    RECT m = s.Measure("Bk"), r = {7, 3, 100, 40};
    SWELL_DrawText(s.dc(), "Bk", -1, &r, 0);
    RECT ink = InkBox(&s.bm);
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
    for (int i = 0; i < 160 * 40; i++)
      levels.insert(LICE_GETR(LICE_GetPixel(&s.bm, i % 160, i / 160)));
    if (c.manyLevels)
      EXPECT_GT(levels.size(), 2u) << (int)c.quality;
    else // drawn, with ink and background only
      EXPECT_EQ(levels, (std::set<int>{0, 255})) << (int)c.quality;
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
