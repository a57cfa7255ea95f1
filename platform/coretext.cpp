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
  auto font = (CTFontRef)CFDictionaryGetValue(attrs, kCTFontAttributeName);
  auto color = (CGColorRef)CFDictionaryGetValue(attrs, kCTForegroundColorAttributeName);
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
  CFRelease(font);
  CFRelease(color);
}
__CTFramesetter::~__CTFramesetter() {
  CFRelease(string);
}
__CTFrame::~__CTFrame() {
  CFRelease(lines);
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
  return font ? new __CFString(font->font->Info().postscript) : nullptr;
}

CFStringRef CTFontCopyDisplayName(CTFontRef font) {
  return font ? new __CFString(font->font->Info().display) : nullptr;
}

CGFloat CTFontGetSize(CTFontRef font) {
  return font ? font->font->Size() : 0;
}
CGFloat CTFontGetAscent(CTFontRef font) {
  return font ? font->font->Ascent() : 0;
}
CGFloat CTFontGetDescent(CTFontRef font) {
  return font ? font->font->Descent() : 0;
}
CGFloat CTFontGetLeading(CTFontRef font) {
  return font ? font->font->Leading() : 0;
}

bool CTFontGetGlyphsForCharacters(CTFontRef font, const UniChar* characters, CGGlyph* glyphs,
                                  CFIndex count) {
  if (!font || !characters || !glyphs || count < 0) return false;
  bool all = true;
  for (CFIndex i = 0; i < count; i++) {
    uint32_t g = font->font->GlyphFor(characters[i]);
    glyphs[i] = (CGGlyph)g;
    if (!g || g > 0xFFFF) all = false;
  }
  return all;
}

CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef string) {
  if (!string) return nullptr;
  return MakeLine(string, Codepoints(string), false, nullptr);
}

double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent,
                                  CGFloat* leading) {
  if (ascent) *ascent = line ? line->font->font->Ascent() : 0;
  if (descent) *descent = line ? line->font->font->Descent() : 0;
  if (leading) *leading = line ? line->font->font->Leading() : 0;
  return line ? line->laid.width : 0;
}

void CTLineDraw(CTLineRef line, CGContextRef c) {
  if (!line || !c || !c->data) return;
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
  if (!string) return nullptr;
  auto* fs = new __CTFramesetter;
  fs->string = (CFAttributedStringRef)CFRetain(string);
  return fs;
}

CTFrameRef CTFramesetterCreateFrame(CTFramesetterRef framesetter, CFRange, CGPathRef path,
                                    CFDictionaryRef) {
  if (!framesetter || !path) return nullptr;
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
  return frame ? frame->lines : nullptr;
}
