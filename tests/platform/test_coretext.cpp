// CoreText stand-in: face names, metrics in font units, anti-aliasing, clipping, frames and
// the strings and dictionaries that text rides on (measuring against drawing is checked
// through the GDI layer's text tests).
#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>
#include "PlatformTestHooks.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

CFStringRef Str(const char* s) {
  return CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
}

std::string Text(CFStringRef s) {
  std::string out = s ? CFStringGetCStringPtr(s, kCFStringEncodingUTF8) : "";
  if (s) CFRelease(s);
  return out;
}

CTFontRef Font(const char* name, double size) {
  CFStringRef n = Str(name);
  CTFontRef f = CTFontCreateWithName(n, size, nullptr);
  CFRelease(n);
  return f;
}

// A 32-bit context over our own pixels with a top-left origin, as the GDI layer makes them.
struct Canvas {
  int w, h;
  std::vector<uint32_t> px;
  CGContextRef ctx;
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  Canvas(int w_, int h_) : w(w_), h(h_), px((size_t)w_ * h_, 0) {
    ctx = CGBitmapContextCreate(px.data(), w, h, 8, w * 4, cs,
                                kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little);
    CGContextTranslateCTM(ctx, 0, h);
    CGContextScaleCTM(ctx, 1, -1);
    CGContextSetTextMatrix(ctx, CGAffineTransform{1, 0, 0, -1, 0, 0});
  }
  ~Canvas() {
    CFRelease(ctx);
    CFRelease(cs);
  }
  int Red(int x, int y) const { return (px[(size_t)y * w + x] >> 16) & 0xff; }
  // Bounding box of pixels with any red: x0, y0, x1, y1 (exclusive); x0 = -1 when none.
  std::vector<int> Ink() const {
    std::vector<int> b = {-1, -1, -1, -1};
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++)
        if (Red(x, y)) {
          if (b[0] < 0) b = {x, y, x + 1, y + 1};
          b[0] = std::min(b[0], x);
          b[1] = std::min(b[1], y);
          b[2] = std::max(b[2], x + 1);
          b[3] = std::max(b[3], y + 1);
        }
    return b;
  }
};

CTLineRef Line(CTFontRef font, const char* text, CGColorRef color) {
  const void* k[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* v[2] = {font, color};
  CFDictionaryRef d =
      CFDictionaryCreate(nullptr, k, v, color ? 2 : 1, &kCFTypeDictionaryKeyCallBacks,
                         &kCFTypeDictionaryValueCallBacks);
  CFStringRef s = Str(text);
  CFAttributedStringRef as = CFAttributedStringCreate(nullptr, s, d);
  CTLineRef l = CTLineCreateWithAttributedString(as);
  CFRelease(as);
  CFRelease(s);
  CFRelease(d);
  return l;
}

} // namespace

TEST(CoreTextFaces, NamesMapToDejaVuFaces) {
  struct Case {
    const char* name;
    const char* postscript;
  } cases[] = {
      {"Arial", "DejaVuSans"},
      {"Arial Bold", "DejaVuSans-Bold"},
      {"Arial Italic", "DejaVuSans-Oblique"},
      {"Arial Bold Italic", "DejaVuSans-BoldOblique"},
      {"Monaco", "DejaVuSansMono"},
      {"Monaco Bold", "DejaVuSansMono-Bold"},
      {"monaco italic", "DejaVuSansMono-Oblique"},
      {"DejaVuSans-BoldOblique", "DejaVuSans-BoldOblique"},
      {"Times New Roman", "DejaVuSerif"},
  };
  for (const Case& c : cases) {
    CTFontRef f = Font(c.name, 12);
    ASSERT_NE(f, nullptr) << c.name;
    EXPECT_EQ(Text(CTFontCopyPostScriptName(f)), c.postscript) << c.name;
    CFRelease(f);
  }
  EXPECT_EQ(Font("No Such Face", 12), nullptr);
  EXPECT_EQ(Font("", 12), nullptr);
  CTFontRef label = CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, 0, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(CTFontGetSize(label), 10);
  EXPECT_EQ(Text(CTFontCopyDisplayName(label)), "DejaVu Sans");
  CFRelease(label);
  // The font folder can be pointed elsewhere; missing files give null.
  {
    ScopedEnv fontDir("QV_FONT_DIR", "/nonexistent-font-folder");
    EXPECT_EQ(Font("Monaco Bold", 12), nullptr);
  }
  CTFontRef f = Font("Monaco Bold", 12);
  EXPECT_NE(f, nullptr);
  CFRelease(f);
}

// Ascent and descent in font units are checked through the GDI text metrics.
TEST(CoreTextMetrics, AdvancesFollowFontUnitsAtEverySize) {
  // Unhinted advances scale with the size.
  CTFontRef a = Font("Monaco", 10), b = Font("Monaco", 20);
  CTLineRef la = Line(a, "Mono", nullptr), lb = Line(b, "Mono", nullptr);
  EXPECT_NEAR(CTLineGetTypographicBounds(lb, nullptr, nullptr, nullptr),
              2 * CTLineGetTypographicBounds(la, nullptr, nullptr, nullptr), 1e-6);
  EXPECT_NEAR(CTLineGetTypographicBounds(la, nullptr, nullptr, nullptr), 4 * 1233 * 10 / 2048.0,
              1e-6); // every glyph of the monospaced face advances 1233 units
  for (CFTypeRef o : {(CFTypeRef)la, (CFTypeRef)lb, (CFTypeRef)a, (CFTypeRef)b}) CFRelease(o);
}

TEST(CoreTextDraw, AntialiasingAndClipping) {
  CTFontRef f = Font("Arial", 16);
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const CGFloat white[4] = {1, 1, 1, 1};
  CGColorRef col = CGColorCreate(cs, white);
  CTLineRef l = Line(f, "Sample", col);
  for (bool aa : {true, false}) {
    Canvas c(120, 30);
    CGContextSetShouldAntialias(c.ctx, aa);
    CGContextSetTextPosition(c.ctx, 2, 20);
    CTLineDraw(l, c.ctx);
    std::set<int> values;
    for (uint32_t p : c.px) {
      values.insert((p >> 16) & 0xff);
      EXPECT_EQ(p >> 24, 0u); // the skipped byte is left alone
    }
    if (aa)
      EXPECT_GT(values.size(), 10u);
    else
      EXPECT_EQ(values, (std::set<int>{0, 255}));
  }
  Canvas c(120, 30);
  CGContextSaveGState(c.ctx);
  CGContextClipToRect(c.ctx, CGRectMake(20, 0, 30, 30));
  CGContextSetTextPosition(c.ctx, 2, 20);
  CTLineDraw(l, c.ctx);
  CGContextRestoreGState(c.ctx);
  std::vector<int> ink = c.Ink();
  EXPECT_GE(ink[0], 20);
  EXPECT_LE(ink[2], 50);
  // The text matrix is not part of the saved state.
  EXPECT_EQ(CGContextGetTextPosition(c.ctx).x, 2);
  CFRelease(l);
  CFRelease(col);
  CFRelease(cs);
  CFRelease(f);
}

// Without anti-aliasing every glyph row comes from a 1-bit bitmap, leftmost pixel in the
// high bit: its ink lies where the anti-aliased outline covers, and covers all it fills.
TEST(CoreTextDraw, MonoInkLiesInsideTheOutline) {
  CTFontRef f = Font("Arial", 16);
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const CGFloat white[4] = {1, 1, 1, 1};
  CGColorRef col = CGColorCreate(cs, white);
  CTLineRef l = Line(f, "Lbq|F7", col);
  Canvas aa(80, 24), mono(80, 24);
  for (Canvas* c : {&aa, &mono}) {
    CGContextSetShouldAntialias(c->ctx, c == &aa);
    CGContextSetTextPosition(c->ctx, 3, 18);
    CTLineDraw(l, c->ctx);
  }
  int inked = 0;
  for (int y = 0; y < 24; y++)
    for (int x = 0; x < 80; x++) {
      if (mono.Red(x, y)) {
        ++inked;
        EXPECT_GT(aa.Red(x, y), 0) << x << "," << y;
      }
      if (aa.Red(x, y) == 255) {
        EXPECT_EQ(mono.Red(x, y), 255) << x << "," << y;
      }
    }
  EXPECT_GT(inked, 60);
  CFRelease(l);
  CFRelease(col);
  CFRelease(cs);
  CFRelease(f);
}

TEST(CoreTextFrame, LinesBreakAtLineFeedsOnly) {
  CTFontRef f = Font("Arial", 12);
  const void* k[1] = {kCTFontAttributeName};
  const void* v[1] = {f};
  CFDictionaryRef d = CFDictionaryCreate(nullptr, k, v, 1, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks);
  struct Case {
    const char* text;
    int lines;
  } cases[] = {{"one", 1}, {"one\ntwo", 2}, {"a\r\nb\rc", 3}, {"a\n\nb", 3}, {"end\n", 1}, {"", 0}};
  for (const Case& c : cases) {
    CFStringRef s = Str(c.text);
    CFAttributedStringRef as = CFAttributedStringCreate(nullptr, s, d);
    CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(as);
    CGMutablePathRef path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 10, 10)); // never wraps
    CTFrameRef frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
    EXPECT_EQ(CFArrayGetCount(CTFrameGetLines(frame)), c.lines) << c.text;
    for (CFTypeRef o :
         {(CFTypeRef)frame, (CFTypeRef)path, (CFTypeRef)fs, (CFTypeRef)as, (CFTypeRef)s})
      CFRelease(o);
  }
  CFRelease(d);
  CFRelease(f);
}

TEST(CoreTextObjects, StringsDictionariesAndGlyphs) {
  long live = PlatformTest_LiveObjectCount();
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xc3", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xc3\xa9", kCFStringEncodingASCII), nullptr);
  CFStringRef s = Str("caf\xc3\xa9 \xf0\x9f\x8e\xb5");
  EXPECT_EQ(CFStringGetLength(s), 7); // the note symbol takes two UTF-16 units
  char small[4];
  EXPECT_FALSE(CFStringGetCString(s, small, sizeof small, kCFStringEncodingUTF8));
  CFStringRef key = Str("NSFont"); // equal text finds the constant key
  CTFontRef f = Font("Arial", 12);
  const void* k[1] = {kCTFontAttributeName};
  const void* v[1] = {f};
  CFDictionaryRef d = CFDictionaryCreate(nullptr, k, v, 1, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks);
  EXPECT_EQ(CFDictionaryGetValue(d, key), f);
  EXPECT_EQ(CFGetRetainCount(f), 2);
  const UniChar ok[2] = {'A', 0xe9}, missing[2] = {'A', 0xf8ff};
  CGGlyph g[2];
  EXPECT_TRUE(CTFontGetGlyphsForCharacters(f, ok, g, 2));
  EXPECT_FALSE(CTFontGetGlyphsForCharacters(f, missing, g, 2));
  EXPECT_NE(g[0], 0);
  EXPECT_EQ(g[1], 0);
  for (CFTypeRef o : {(CFTypeRef)d, (CFTypeRef)f, (CFTypeRef)key, (CFTypeRef)s}) CFRelease(o);
  EXPECT_EQ(PlatformTest_LiveObjectCount(), live);
}
