// Drawing contexts of the CoreGraphics stand-in: 32-bit memory bitmap contexts.
#pragma once

#include <CoreGraphics/CGColor.h>

typedef struct CGContext* CGContextRef;
typedef uint32_t CGBitmapInfo;

enum CGImageAlphaInfo : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
};
enum : uint32_t {
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder16Little = 1 << 12,
  kCGBitmapByteOrder32Little = 2 << 12,
  kCGBitmapByteOrder16Big = 3 << 12,
  kCGBitmapByteOrder32Big = 4 << 12,
};

extern "C" {
// A context drawing into data (not owned; must outlive the context). Only 8 bits per
// component, 4 bytes per pixel, an RGB space and a first/last alpha or skip layout are
// supported; anything else (or a null buffer, a zero size, rows shorter than width x 4)
// gives null. Device space has its origin at the bottom left: device row y is memory row
// height - 1 - y.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo);
void* CGBitmapContextGetData(CGContextRef c);
size_t CGBitmapContextGetWidth(CGContextRef c);
size_t CGBitmapContextGetHeight(CGContextRef c);
size_t CGBitmapContextGetBytesPerRow(CGContextRef c);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c);

CGContextRef CGContextRetain(CGContextRef c);
void CGContextRelease(CGContextRef c);

// Graphics state: transformation, clip, colours and flags; saved and restored as a whole.
void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextConcatCTM(CGContextRef c, CGAffineTransform t);
CGAffineTransform CGContextGetCTM(CGContextRef c);
CGSize CGContextConvertSizeToDeviceSpace(CGContextRef c, CGSize s);
CGRect CGContextConvertRectToDeviceSpace(CGContextRef c, CGRect r);
// Narrows the clip to the rectangle (user space).
void CGContextClipToRect(CGContextRef c, CGRect r);
// The clip's bounding box in user space.
CGRect CGContextGetClipBoundingBox(CGContextRef c);
void CGContextSetAllowsFontSmoothing(CGContextRef c, bool allow);
void CGContextSetShouldSmoothFonts(CGContextRef c, bool smooth);
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allow);
void CGContextSetShouldAntialias(CGContextRef c, bool aa);
void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetLineWidth(CGContextRef c, CGFloat width);

// Text state. The text matrix maps glyph space into user space; like the platform's, it is
// not part of the saved graphics state. The identity draws glyphs y-up in user space.
void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t);
CGAffineTransform CGContextGetTextMatrix(CGContextRef c);
// Where the next line's origin (on its baseline) goes, in user space: the translation of
// the text matrix.
void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y);
CGPoint CGContextGetTextPosition(CGContextRef c);
// Fills the rectangle (user space) with the fill colour, inside the clip: the pixels whose
// centres it covers, blended by the colour's alpha. Pixels keep their top (skipped) byte.
void CGContextFillRect(CGContextRef c, CGRect r);
}
