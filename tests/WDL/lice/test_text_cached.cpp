// The cached font renderer: UTF-8 decoding, glyph masks and their crop, the effect flags,
// which path a call takes, and text layout on the glyph path.
#include "WDL/lice/lice_glyph.h"
#include "WDL/lice/lice_simd.h"
#include "WDL/lice/lice_text.h"
#include "WDL/swell/swell-functions.h"
#include "WDL/lice/lice_test_bitmaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

HFONT Arial(int size) {
  return CreateFont(size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "Arial");
}

// White text drawn the native way onto a black system bitmap; returns the text height.
int DrawNative(LICE_SysBitmap& bm, HFONT hf, const char* text, RECT r) {
  LICE_Clear(&bm, 0);
  HGDIOBJ old = SelectObject(bm.getDC(), hf);
  SetTextColor(bm.getDC(), 0xffffff);
  const int h = SWELL_DrawText(bm.getDC(), text, -1, &r, DT_NOPREFIX);
  SelectObject(bm.getDC(), old);
  return h;
}

// Opens the cache for inspection.
class Probe : public LICE_CachedFont {
public:
  using LICE_CachedFont::charEnt;
  using LICE_CachedFont::findChar;
  using LICE_CachedFont::m_line_height;
  using LICE_CachedFont::RenderGlyph;
  explicit Probe(int flags, int size = 14) { SetFromHFont(Arial(size), flags | 0x200); }
  std::vector<unsigned char> Mask(unsigned short c) {
    charEnt* e = findChar(c);
    if (!e || e->base_offset < 1) return {};
    const unsigned char* p = m_cachestore.Get() + e->base_offset - 1;
    return std::vector<unsigned char>(p, p + e->width * e->height);
  }
};

RECT Measure(LICE_IFont& f, const char* s, int flags = 0) {
  RECT r = {3, 4, 3, 4};
  f.DrawText(nullptr, s, -1, &r, flags | DT_CALCRECT);
  return r;
}

int Width(LICE_IFont& f, const char* s) {
  RECT r = Measure(f, s, DT_SINGLELINE);
  return r.right - r.left;
}

} // namespace

TEST(Utf8, DecodingTable) {
  struct Case {
    const char* bytes;
    int count;
    unsigned short code;
    int used;
  } cases[] = {
      {"A", -1, 'A', 1},
      {"\xc3\xa9", -1, 0xe9, 2},
      {"\xe2\x82\xac", -1, 0x20ac, 3},
      {"\xed\x9f\xbf", -1, 0xd7ff, 3}, // below the surrogates
      {"\xed\xa0\x80", -1, 0xed, 1},   // a surrogate is no character: its bytes are Latin-1
      {"\xed\xbf\xbf", -1, 0xed, 1},
      {"\xee\x80\x80", -1, 0xe000, 3},   // above them
      {"\xe0\x9f\xbf", -1, 0xe0, 1},     // overlong three-byte form
      {"\xf0\x9f\x8e\xb5", -1, ' ', 4},  // beyond 16 bits: a space
      {"\xe9z", -1, 0xe9, 1},            // lone lead byte: Latin-1
      {"\x80", -1, 0x80, 1},             // stray continuation
      {"\xc1\x81", -1, 0xc1, 1},         // overlong lead
      {"\xf5\x80\x80\x80", -1, 0xf5, 1}, // beyond the code space
      {"\xe2\x82z", -1, 0xe2, 1},        // broken sequence
      {"\xc3\xa9", 1, 0xc3, 1},          // the count ends the sequence
      {"\xe2\x82\xac", 2, 0xe2, 1},
      {"\xf0\x9f\x8e\xb5", 3, 0xf0, 1},
  };
  for (const Case& c : cases) {
    unsigned short code = 0;
    EXPECT_EQ(utf8char(c.bytes, &code, c.count), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
  }
  // Exactly one byte on the heap: the decoder must not look at a second.
  std::unique_ptr<char[]> one(new char[1]);
  one[0] = (char)0xc3;
  EXPECT_EQ(utf8char(one.get(), nullptr, 1), 1);
  for (unsigned short c : {0x41, 0xe9, 0x7ff, 0x800, 0x20ac, 0xffff}) {
    char buf[4];
    unsigned short back = 0;
    int n = utf8makechar(buf, c);
    EXPECT_EQ(utf8char(buf, &back, n), n);
    EXPECT_EQ(back, c);
  }
}

// Each character drawn from the cache lands where the native drawing puts it.
TEST(CachedFont, CropAndOffsetsReproduceTheNativeGlyph) {
  LICE_CachedFont font;
  HFONT hf = Arial(14);
  font.SetFromHFont(hf, 0x200);
  font.SetTextColor(0xffffffff);
  for (const char* ch : {"A", "j", "W", "|", "g", "f", "\xc3\xa9"}) {
    TestBitmap cached(40, 30);
    LICE_SysBitmap native(40, 30);
    RECT r = {10, 5, 40, 30};
    font.DrawText(&cached, ch, -1, &r, 0);
    DrawNative(native, hf, ch, r);
    for (int y = 0; y < 30; y++)
      for (int x = 0; x < 40; x++)
        ASSERT_NEAR((int)LICE_GETR(cached.at(x, y)), (int)LICE_GETR(LICE_GetPixel(&native, x, y)),
                    2)
            << ch << " at " << x << "," << y;
  }
}

TEST(CachedFont, CropStaysInsideAGlyphWiderThanTheScratchBitmap) {
  Probe font(0, 300);
  font.m_line_height = 100; // keeps the scratch bitmap at 256 while the glyph is wider
  ASSERT_TRUE(font.RenderGlyph(0x2031));
  const Probe::charEnt* e = font.findChar(0x2031);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->advance, 256);
  EXPECT_LE(e->width, 256);
  EXPECT_EQ((int)font.Mask(0x2031).size(), e->width * e->height);
}

TEST(CachedFont, NewGlyphsAreFoundInSortedOrder) {
  Probe font(0);
  const unsigned short codes[] = {0x2014, 0x200b, 0xe9, 0x3a9, 0x100, 0xffff, 0x80};
  for (unsigned short c : codes) font.RenderGlyph(c);
  for (unsigned short c : codes) {
    ASSERT_NE(font.findChar(c), nullptr) << c; // a binary search misses unsorted entries
    EXPECT_EQ(font.findChar(c)->charid, c);
  }
  EXPECT_EQ(font.findChar(0x3aa), nullptr);
}

TEST(CachedFont, EffectFlagsShapeTheMask) {
  Probe plain(0), vert(0x1), up(0x3), mono(0x40), shadow(0x80), outline(0x100), both(0x180),
      invert(0x20);
  for (Probe* p : {&plain, &vert, &up, &mono, &shadow, &outline, &both, &invert})
    ASSERT_TRUE(p->RenderGlyph('R'));
  const int w = plain.findChar('R')->width, h = plain.findChar('R')->height;
  std::vector<unsigned char> m = plain.Mask('R');
  // Quarter turns: clockwise for top-down text, counter-clockwise for bottom-up.
  ASSERT_EQ(vert.findChar('R')->width, h);
  ASSERT_EQ(vert.findChar('R')->height, w);
  std::vector<unsigned char> v = vert.Mask('R'), u = up.Mask('R');
  for (int y = 0; y < w; y++)
    for (int x = 0; x < h; x++) {
      ASSERT_EQ(v[y * h + x], m[(h - 1 - x) * w + y]);
      ASSERT_EQ(u[y * h + x], m[x * w + (w - 1 - y)]);
    }
  for (size_t i = 0; i < m.size(); i++) ASSERT_EQ(invert.Mask('R')[i], 255 - m[i]);

  // Mono thresholds; the shadow adds half weight right of and below the solid pixels, the
  // outline around them; both together draw the shadow.
  const std::vector<unsigned char> solid = mono.Mask('R'), sh = shadow.Mask('R'),
                                   ol = outline.Mask('R');
  auto on = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && solid[y * w + x] == 255;
  };
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const int i = y * w + x;
      ASSERT_EQ(solid[i], m[i] > 130 ? 255 : 0);
      const bool s1 = on(x - 1, y) || on(x - 1, y - 1) || on(x, y - 1);
      const bool o1 = on(x - 1, y) || on(x + 1, y) || on(x, y - 1) || on(x, y + 1);
      ASSERT_EQ(sh[i], on(x, y) ? 255 : s1 ? 128 : 0) << x << "," << y;
      ASSERT_EQ(ol[i], on(x, y) ? 255 : o1 ? 128 : 0) << x << "," << y;
    }
  EXPECT_EQ(both.Mask('R'), sh);
}

TEST(CachedFont, CentredTranslucentTextIsTheLeftAlignedTextMoved) {
  Probe f(0);
  f.SetTextColor(0x80FFFFFF);
  const char* text = "Scale";
  const int mw = Width(f, text);
  TestBitmap centred(100, 30), placed(100, 30);
  RECT box = {13, 4, 83, 30}; // 70 wide, the text is narrower
  ASSERT_LT(mw, 70);
  f.DrawText(&centred, text, -1, &box, DT_CENTER | LICE_DT_USEFGALPHA);
  RECT at = {13 + (70 - mw) / 2, 4, 100, 30};
  f.DrawText(&placed, text, -1, &at, LICE_DT_USEFGALPHA);
  EXPECT_TRUE(centred.raw() == placed.raw());
  EXPECT_EQ(InkBox(&centred).left, InkBox(&placed).left);
  // The colour's alpha 0x80 makes the weight 128: fully covered pixels get 127 of 255.
  EXPECT_EQ(*std::max_element(centred.raw().begin(), centred.raw().end()), 0x7F7F7F7Fu);
}

TEST(CachedFont, WhichPathACallTakes) {
  const char* text = "Native?";
  HFONT hf = Arial(14);
  LICE_SysBitmap ref(100, 30);
  RECT r = {2, 2, 100, 30};
  const int nativeHeight = DrawNative(ref, hf, text, r);
  struct Case {
    int fontFlags;
    unsigned textFlags;
    bool sysBitmap, native;
  } cases[] = {
      {0x400, 0, true, true},   {0x400, 0, false, true}, {0, 0, true, false},
      {0x440, 0, true, false},  {0x401, 0, true, false}, {0x400, LICE_DT_USEFGALPHA, true, false},
      {0x404, 0, false, false},
  };
  for (const Case& c : cases) {
    LICE_CachedFont f;
    f.SetFromHFont(hf, c.fontFlags);
    f.SetTextColor(0xffffffff);
    std::unique_ptr<LICE_IBitmap> bm(c.sysBitmap ? (LICE_IBitmap*)new LICE_SysBitmap(100, 30)
                                                 : new LICE_MemBitmap(100, 30));
    LICE_Clear(bm.get(), 0);
    RECT rr = r;
    int got = f.DrawText(bm.get(), text, -1, &rr, c.textFlags);
    EXPECT_EQ(got, nativeHeight); // both paths reach the same depth for this text
    // Only the native path reproduces the GDI drawing pixel for pixel.
    EXPECT_EQ(LICE_BitmapCmp(bm.get(), &ref) == 0, c.native) << c.fontFlags << " " << c.textFlags;
  }
  DeleteObject(hf);
}

TEST(CachedFont, LayoutOnTheGlyphPath) {
  Probe f(0);
  f.SetTextColor(0xffffffff);
  const int lh = f.GetLineHeight();
  RECT one = Measure(f, "A\r\nB", DT_SINGLELINE), two = Measure(f, "A\r\nB");
  EXPECT_EQ(one.right - one.left, Width(f, "A B"));
  EXPECT_EQ(two.right - two.left, std::max(Width(f, "A"), Width(f, "B")));
  EXPECT_EQ(two.bottom - two.top, lh + (Measure(f, "B").bottom - 4));
  EXPECT_EQ(Width(f, "a\xf0\x9f\x8e\xb5z"), Width(f, "a z"));
  EXPECT_EQ(Width(f, "\xe9"), Width(f, "\xc3\xa9"));
  RECT cut = {0, 0, 0, 0};
  f.DrawText(nullptr, "abc", 2, &cut, DT_CALCRECT);
  EXPECT_EQ(cut.right, Width(f, "ab"));

  TestBitmap bm(120, 40);
  f.SetTextColor(0x00ffffff);
  RECT r = {10, 5, 120, 40};
  EXPECT_EQ(f.DrawText(&bm, "Hidden", -1, &r, LICE_DT_USEFGALPHA), 0);
  EXPECT_EQ(InkBox(&bm).left, -1);
  f.SetTextColor(0xffffffff);

  // The ink of each alignment lies inside the measured rectangle placed the same way.
  const RECT m = Measure(f, "Harmonic Minor");
  const int mw = m.right - m.left, mh = m.bottom - m.top;
  for (unsigned a : {0, DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_RIGHT | DT_BOTTOM}) {
    LICE_Clear(&bm, 0);
    RECT box = {4, 3, 116, 38};
    f.DrawText(&bm, "Harmonic Minor", -1, &box, a);
    int x = a & DT_CENTER ? (112 - mw) / 2 + 4 : a & DT_RIGHT ? 116 - mw : 4;
    int y = a & DT_VCENTER ? (35 - mh) / 2 + 3 : a & DT_BOTTOM ? 38 - mh : 3;
    RECT ink = InkBox(&bm);
    EXPECT_GE(ink.left, x) << a;
    EXPECT_GE(ink.top, y) << a;
    EXPECT_LE(ink.right, x + mw) << a;
    EXPECT_LE(ink.bottom, y + mh) << a;
  }
  // Right-aligned in a narrow box: starts left of it and is clipped unless told not to.
  for (unsigned noclip : {0, DT_NOCLIP}) {
    LICE_Clear(&bm, 0);
    RECT narrow = {40, 5, 60, 40};
    f.DrawText(&bm, "Harmonic", -1, &narrow, DT_RIGHT | noclip);
    EXPECT_EQ(InkBox(&bm).left < 40, noclip != 0);
    EXPECT_LE(InkBox(&bm).right, 61);
  }
  // A glyph drawn with a clip rectangle larger than the bitmap stays inside the bitmap.
  TestBitmap tiny(3, 3);
  RECT huge = {-50, -50, 50, 50};
  ASSERT_TRUE(f.RenderGlyph('W'));
  EXPECT_TRUE(f.DrawGlyph(&tiny, 'W', 1, 1, &huge));

  // Characters from 128 up take no room in a font that renders only 0-127.
  Probe ascii(0x4);
  EXPECT_EQ(Width(ascii, "\xc3\xa9\xc3\xa9"), 0);
  EXPECT_EQ(ascii.findChar(0xe9), nullptr);
}

TEST(CachedFont, VectorGlyphBlendMatchesThePlainLoop) {
  Probe f(0, 16);
  const char* text = "Quorlen 1/16 Harmonic Minor Wxyz";
  RECT m = Measure(f, text, DT_SINGLELINE);
  const int w = m.right - m.left + 6, h = m.bottom - m.top + 4;
  for (LICE_pixel colour : {0xFFE0C0A0u, 0x80FFFFFFu, 0x01102030u, 0xC0000000u})
    for (float alpha : {1.0f, 0.5f, 0.3f, 0.999f}) {
      f.SetTextColor(colour);
      f.SetCombineMode(0, alpha);
      TestBitmap plain(w, h, false, w + 3);
      plain.Randomize(colour ^ 77);
      auto draw = [&](TestBitmap& bm) {
        RECT r = {1, 1, w, h};
        f.DrawText(&bm, text, -1, &r, LICE_DT_USEFGALPHA);
      };
      LICE_fastpaths_enabled = false;
      TestBitmap ref = plain;
      draw(ref);
      LICE_fastpaths_enabled = true;
      for (int level = LICE_SIMD_SSE2; level <= LICE_GetSimdLevelSupported(); level++) {
        ASSERT_TRUE(LICE_SetSimdLevel(level));
        TestBitmap fast = plain;
        draw(fast);
        EXPECT_TRUE(fast.raw() == ref.raw()) << std::hex << colour << " " << alpha << " " << level;
      }
    }
  LICE_SetSimdLevel(LICE_GetSimdLevelSupported());
}
