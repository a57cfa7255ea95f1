#include "tools/Labels.h"

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <cmath>

namespace {

const Rgb kInk{248, 249, 251}, kCaption{188, 197, 212}, kTitle{232, 236, 242};

// Caption areas sit on the background between the controls; each keeps clear of every
// control's rectangle (the piano roll from x 167 and the hidden keyboard below it included).
Box Under(int x, int w) {
  return {x - 2.0, 158, x + w + 2.0, 174};
}

} // namespace

const LabelSpec kLabels[] = {
    // Buttons: the word of their image's name, in every frame.
    {"SAVE.png", 0, "SAVE MIDI", {0, 0, 70, 24}, Align::kCentre, 11, kInk},
    {"NEW_MELODY.png", 0, "NEW MELODY", {0, 0, 76, 28}, Align::kCentre, 11, kInk},
    {"CLEAR.png", 0, "CLEAR", {0, 0, 60, 20}, Align::kCentre, 10, kInk},
    {"TAP.png", 0, "TAP", {0, 0, 56, 40}, Align::kCentre, 15, kInk},
    {"LOCK_ALL.png", 0, "LOCK ALL", {0, 0, 60, 20}, Align::kCentre, 10, kInk},
    {"ZOOM_OUT.png", 0, "\u2212", {0, 0, 16, 16}, Align::kCentre, 8.5, kInk},
    {"ZOOM_IN.png", 0, "+", {0, 0, 16, 16}, Align::kCentre, 8.5, kInk},
    {"Left.png", 0, "\u25C0 WEBSITE", {0, 0, 60, 16}, Align::kCentre, 10, kInk},
    // The switch names the chooser it shows.
    {"SCALE_CHORD.png", 1, "SCALE", {0, 0, 36, 16}, Align::kCentre, 7.5, kInk},
    {"SCALE_CHORD.png", 2, "CHORD", {0, 0, 36, 16}, Align::kCentre, 7.5, kInk},
    // The background: the editor's name, then captions beside the knobs and small buttons.
    {"bg.png", 0, "Quorlen-VUDE", {6, 6, 162, 38}, Align::kLeft, 17, kTitle},
    {"bg.png", 0, "CLEAR POOL", {38, 52, 160, 68}, Align::kLeft, 9, kCaption},
    {"bg.png", 0, "NOTE POOL", {4, 68, 81, 84}, Align::kRight, 9, kCaption},
    {"bg.png", 0, "OCTAVE COPIES", {4, 122, 160, 139}, Align::kCentre, 9, kCaption},
    {"bg.png", 0, "-4", Under(9, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "-3", Under(25, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "-2", Under(41, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "-1", Under(57, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "0", Under(73, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "+1", Under(89, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "+2", Under(105, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "+3", Under(121, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "+4", Under(137, 14), Align::kCentre, 8.5, kCaption},
    {"bg.png", 0, "TAP A RHYTHM", {62, 212, 160, 230}, Align::kLeft, 9, kCaption},
    {"bg.png", 0, "WHILE PLAYING", {62, 230, 160, 248}, Align::kLeft, 9, kCaption},
    {"bg.png", 0, "RHYTHM", {6, 296, 76, 315}, Align::kCentre, 9, kCaption},
    {"bg.png", 0, "BARS", {178, 284, 238, 301}, Align::kCentre, 9, kCaption},
    {"bg.png", 0, "NOTE LENGTH", {284, 287, 374, 304}, Align::kCentre, 9, kCaption},
    {"bg.png", 0, "REST CHANCE", {426, 293, 526, 310}, Align::kCentre, 9, kCaption},
    {"bg.png", 0, "RESTS", {352, 323, 401, 354}, Align::kRight, 9, kCaption},
    {"bg.png", 0, "ZOOM", {610, 270, 662, 287}, Align::kRight, 9, kCaption},
};

const int kNumLabels = (int)(sizeof(kLabels) / sizeof(kLabels[0]));

namespace {

// A line of text in the label font; null when the font is missing.
CTLineRef MakeLine(const char* text, double size, CGColorRef colour) {
  CFStringRef name = CFStringCreateWithCString(nullptr, "DejaVu Sans Bold", kCFStringEncodingUTF8);
  CTFontRef font = CTFontCreateWithName(name, size, nullptr);
  CFRelease(name);
  if (!font) return nullptr;
  const void* keys[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* values[2] = {font, colour};
  CFDictionaryRef attrs =
      CFDictionaryCreate(nullptr, keys, values, colour ? 2 : 1, &kCFTypeDictionaryKeyCallBacks,
                         &kCFTypeDictionaryValueCallBacks);
  CFStringRef s = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  CFAttributedStringRef as = CFAttributedStringCreate(nullptr, s, attrs);
  CTLineRef line = CTLineCreateWithAttributedString(as);
  CFRelease(as);
  CFRelease(s);
  CFRelease(attrs);
  CFRelease(font);
  return line;
}

} // namespace

bool MeasureText(const char* text, double size, double* width, double* ascent, double* descent) {
  CTLineRef line = MakeLine(text, size, nullptr);
  if (!line) return false;
  CGFloat a = 0, d = 0;
  *width = CTLineGetTypographicBounds(line, &a, &d, nullptr);
  *ascent = a;
  *descent = d;
  CFRelease(line);
  return true;
}

bool PlaceLabel(const LabelSpec& spec, PlacedLabel* out) {
  const Box& a = spec.area;
  const double m = kLabelMargin;
  for (double size = spec.maxSize; size >= kMinLabelSize; size -= 0.5) {
    PlacedLabel p;
    p.size = size;
    if (!MeasureText(spec.text, size, &p.width, &p.ascent, &p.descent)) return false;
    // Glyph origins land on whole pixels, so the rounded pen is what must fit; rounding
    // towards the aligned side keeps a label that fits inside.
    p.x = std::ceil(a.l + m);
    if (spec.align == Align::kCentre) p.x = std::round((a.l + a.r - p.width) / 2);
    if (spec.align == Align::kRight) p.x = std::floor(a.r - m - p.width);
    p.baseline = std::round((a.t + a.b - p.ascent - p.descent) / 2 + p.ascent);
    const Box e = p.Extents();
    if (e.l >= a.l + m && e.r <= a.r - m && e.t >= a.t + m && e.b <= a.b - m) {
      *out = p;
      return true;
    }
  }
  return false;
}

std::vector<uint8_t> LabelCoverage(const LabelSpec& spec, const PlacedLabel& placed, int w, int h) {
  std::vector<uint32_t> px((size_t)w * h, 0);
  CGColorSpaceRef cs = CGColorSpaceCreateDeviceRGB();
  const CGFloat white[4] = {1, 1, 1, 1};
  CGColorRef colour = CGColorCreate(cs, white);
  CGContextRef ctx = CGBitmapContextCreate(px.data(), w, h, 8, (size_t)w * 4, cs,
                                           kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little);
  CTLineRef line = MakeLine(spec.text, placed.size, colour);
  if (ctx && line) {
    // Rows top-down, as the frames are kept.
    CGContextTranslateCTM(ctx, 0, h);
    CGContextScaleCTM(ctx, 1, -1);
    CGContextSetTextMatrix(ctx, CGAffineTransform{1, 0, 0, -1, 0, 0});
    CGContextSetShouldAntialias(ctx, true);
    CGContextSetTextPosition(ctx, placed.x, placed.baseline);
    CTLineDraw(line, ctx);
  }
  if (line) CFRelease(line);
  if (ctx) CGContextRelease(ctx);
  CFRelease(colour);
  CFRelease(cs);
  // White on black: any channel is the coverage.
  std::vector<uint8_t> cover(px.size());
  for (size_t i = 0; i < px.size(); ++i) cover[i] = (uint8_t)(px[i] >> 16);
  return cover;
}
