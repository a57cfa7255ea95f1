// CoreText stand-in: fonts, lines and frames over the DejaVu engine (coretext_internal.h
// lists the choices it makes for glyph placement, kerning and line breaks).
#include "coretext_internal.h"

#include <CoreGraphics/CoreGraphics.h>

#include <climits>
#include <cmath>
#include <cstring>

namespace {

CTFontRef MakeFont(const qv_ct::FaceInfo& info, CGFloat size) {
  qv_ct::Font* f = qv_ct::Font::Create(info, size);
  if (!f) return nullptr;
  auto* ct = new __CTFont;
  ct->font = f;
  return ct;
}

CTFontRef DefaultFont() {
  qv_ct::FaceInfo info;
  qv_ct::ResolveFace("DejaVu Sans", &info);
  return MakeFont(info, 12);
}

// Builds one line from an attributed string's text and attributes.
__CTLine* MakeLine(CFAttributedStringRef as, const std::vector<uint32_t>& cps, bool multiline,
                   std::vector<qv_ct::LaidLine>* more) {
  CFDictionaryRef attrs = as->attributes;
  auto font = attrs ? (CTFontRef)CFDictionaryGetValue(attrs, kCTFontAttributeName) : nullptr;
  auto color =
      attrs ? (CGColorRef)CFDictionaryGetValue(attrs, kCTForegroundColorAttributeName) : nullptr;
  if (font)
    CFRetain(font);
  else
    font = DefaultFont();
  if (!font) return nullptr;
  std::vector<qv_ct::LaidLine> laid = qv_ct::Layout(font->font, cps, multiline);
  auto* line = new __CTLine;
  line->font = font;
  line->color = color ? CGColorRetain(color) : nullptr;
  line->laid = std::move(laid[0]);
  if (more) more->assign(laid.begin() + 1, laid.end());
  return line;
}

std::vector<uint32_t> Codepoints(CFAttributedStringRef as) {
  const std::string& t = as->string->utf8;
  return qv_ct::DecodeUtf8(t.data(), t.size());
}

} // namespace

const CFStringRef kCTFontAttributeName = [] {
  auto* s = new __CFString("NSFont");
  s->refs = LONG_MAX / 2; // a constant: never freed
  return s;
}();
const CFStringRef kCTForegroundColorAttributeName = [] {
  auto* s = new __CFString("CTForegroundColor");
  s->refs = LONG_MAX / 2;
  return s;
}();

__CTFont::~__CTFont() {
  delete font;
}
__CTLine::~__CTLine() {
  PlatformReleaseIfAny(font);
  PlatformReleaseIfAny(color);
}
__CTFramesetter::~__CTFramesetter() {
  PlatformReleaseIfAny(string);
}
__CTFrame::~__CTFrame() {
  PlatformReleaseIfAny(lines);
}

CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix) {
  if (!name || (matrix && memcmp(matrix, &CGAffineTransformIdentity, sizeof *matrix) != 0))
    return nullptr;
  qv_ct::FaceInfo info;
  if (!qv_ct::ResolveFace(name->utf8.c_str(), &info)) return nullptr;
  return MakeFont(info, size > 0 ? size : 12);
}

CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType type, CGFloat size, CFStringRef) {
  if (type != kCTFontUIFontLabel && type != kCTFontUIFontSystem) return nullptr;
  qv_ct::FaceInfo info;
  qv_ct::ResolveFace("DejaVu Sans", &info);
  return MakeFont(info, size > 0 ? size : 10);
}

CFStringRef CTFontCopyPostScriptName(CTFontRef font) {
  return new __CFString(
      PlatformCheck<__CTFont>(font, "CTFontCopyPostScriptName")->font->Info().postscript);
}

CFStringRef CTFontCopyDisplayName(CTFontRef font) {
  return new __CFString(
      PlatformCheck<__CTFont>(font, "CTFontCopyDisplayName")->font->Info().display);
}

CGFloat CTFontGetSize(CTFontRef font) {
  return PlatformCheck<__CTFont>(font, "CTFontGetSize")->font->Size();
}
CGFloat CTFontGetAscent(CTFontRef font) {
  return PlatformCheck<__CTFont>(font, "CTFontGetAscent")->font->Ascent();
}
CGFloat CTFontGetDescent(CTFontRef font) {
  return PlatformCheck<__CTFont>(font, "CTFontGetDescent")->font->Descent();
}
CGFloat CTFontGetLeading(CTFontRef font) {
  return PlatformCheck<__CTFont>(font, "CTFontGetLeading")->font->Leading();
}

bool CTFontGetGlyphsForCharacters(CTFontRef font, const UniChar* characters, CGGlyph* glyphs,
                                  CFIndex count) {
  PlatformCheck<__CTFont>(font, "CTFontGetGlyphsForCharacters");
  if (!characters || !glyphs || count < 0) return false;
  bool all = true;
  for (CFIndex i = 0; i < count; i++) {
    uint32_t g = font->font->GlyphFor(characters[i]);
    glyphs[i] = (CGGlyph)g;
    if (!g || g > 0xFFFF) all = false;
  }
  return all;
}

CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef string) {
  PlatformCheck<__CFAttributedString>(string, "CTLineCreateWithAttributedString");
  return MakeLine(string, Codepoints(string), false, nullptr);
}

double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent,
                                  CGFloat* leading) {
  PlatformCheck<__CTLine>(line, "CTLineGetTypographicBounds");
  if (ascent) *ascent = line->font->font->Ascent();
  if (descent) *descent = line->font->font->Descent();
  if (leading) *leading = line->font->font->Leading();
  return line->laid.width;
}

void CTLineDraw(CTLineRef line, CGContextRef c) {
  PlatformCheck<__CTLine>(line, "CTLineDraw");
  if (!c || !c->data) return; // a missing context is only logged on the platform
  // Pixels are 32-bit words 0xAARRGGBB in memory order B, G, R, A; other layouts are not
  // drawn into.
  uint32_t alpha = c->info & kCGBitmapAlphaInfoMask;
  if ((c->info & kCGBitmapByteOrderMask) != kCGBitmapByteOrder32Little ||
      (alpha != kCGImageAlphaNoneSkipFirst && alpha != kCGImageAlphaFirst &&
       alpha != kCGImageAlphaPremultipliedFirst))
    return;
  // Device space is y-up from the bottom row; the surface is top-down.
  CGPoint dev =
      CGPointApplyAffineTransform(CGPointMake(c->textMatrix.tx, c->textMatrix.ty), c->gs.ctm);
  double devX = dev.x, devY = dev.y;
  double h = (double)c->height;
  qv_ct::Surface s;
  s.pixels = (uint32_t*)c->data;
  s.width = (int)c->width;
  s.height = (int)c->height;
  s.stride = (int)(c->bytesPerRow / 4);
  const CGRect& cl = c->gs.clip;
  s.clipLeft = (int)std::lround(cl.origin.x);
  s.clipRight = (int)std::lround(cl.origin.x + cl.size.width);
  s.clipTop = (int)std::lround(h - (cl.origin.y + cl.size.height));
  s.clipBottom = (int)std::lround(h - cl.origin.y);
  float rgba[4] = {0, 0, 0, 1};
  if (line->color)
    for (int i = 0; i < 4; i++) rgba[i] = (float)line->color->comps[i];
  bool aa = c->gs.shouldAntialias && c->gs.allowsAntialiasing;
  qv_ct::DrawLine(s, line->font->font, line->laid, devX, h - devY, rgba, aa);
}

CTFramesetterRef CTFramesetterCreateWithAttributedString(CFAttributedStringRef string) {
  PlatformCheck<__CFAttributedString>(string, "CTFramesetterCreateWithAttributedString");
  auto* fs = new __CTFramesetter;
  fs->string = (CFAttributedStringRef)CFRetain(string);
  return fs;
}

CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange, CGPathRef path,
                                    CFDictionaryRef) {
  PlatformCheck<__CTFramesetter>(framesetter, "CTFramesetterCreateFrame");
  PlatformCheck<CGPath>(path, "CTFramesetterCreateFrame");
  auto* frame = new __CTFrame;
  frame->lines = new __CFArray;
  std::vector<uint32_t> cps = Codepoints(framesetter->string);
  if (cps.empty()) return frame;
  std::vector<qv_ct::LaidLine> rest;
  __CTLine* first = MakeLine(framesetter->string, cps, true, &rest);
  if (!first) {
    CFRelease(frame);
    return nullptr;
  }
  frame->lines->values.push_back(first);
  for (auto& laid : rest) {
    auto* l = new __CTLine;
    l->font = (CTFontRef)CFRetain(first->font);
    l->color = first->color ? CGColorRetain(first->color) : nullptr;
    l->laid = std::move(laid);
    frame->lines->values.push_back(l);
  }
  return frame;
}

CFArrayRef CTFrameGetLines(CTFrameRef frame) {
  return PlatformCheck<__CTFrame>(frame, "CTFrameGetLines")->lines;
}
