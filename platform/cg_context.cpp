#include "PlatformInternal.h"

#include <cstring>

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) {
  return new CGColorSpace;
}

CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* ref) {
  return ref ? new CGColorSpace : nullptr;
}

size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space) {
  return space ? space->components : 0;
}

// The CoreGraphics retain and release functions accept null, as on the platform.
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
  PlatformRetainIfAny(space);
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
  PlatformReleaseIfAny(space);
}

CGColor::~CGColor() {
  PlatformReleaseIfAny(space);
}

CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components) {
  if (!space || !components) return nullptr;
  auto* c = new CGColor;
  c->space = CGColorSpaceRetain(space);
  for (int i = 0; i < 4; i++) c->comps[i] = components[i];
  return c;
}

CGColorRef CGColorRetain(CGColorRef color) {
  PlatformRetainIfAny(color);
  return color;
}

void CGColorRelease(CGColorRef color) {
  PlatformReleaseIfAny(color);
}

size_t CGColorGetNumberOfComponents(CGColorRef color) {
  return color ? 4 : 0;
}

const CGFloat* CGColorGetComponents(CGColorRef color) {
  return color ? color->comps : nullptr;
}

CGFloat CGColorGetAlpha(CGColorRef color) {
  return color ? color->comps[3] : 0;
}

CGColorSpaceRef CGColorGetColorSpace(CGColorRef color) {
  return color ? color->space : nullptr;
}

CGContext::~CGContext() {
  PlatformReleaseIfAny(space);
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo) {
  const uint32_t alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
  const uint32_t order = bitmapInfo & kCGBitmapByteOrderMask;
  if (!data || !space || bitsPerComponent != 8 || width == 0 || height == 0) return nullptr;
  if (width > (size_t)1 << 20 || height > (size_t)1 << 20 || bytesPerRow / 4 < width)
    return nullptr;
  if (alpha < kCGImageAlphaPremultipliedLast || alpha > kCGImageAlphaNoneSkipFirst) return nullptr;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Little &&
      order != kCGBitmapByteOrder32Big)
    return nullptr;
  auto* c = new CGContext;
  c->data = (unsigned char*)data;
  c->width = width;
  c->height = height;
  c->bytesPerRow = bytesPerRow;
  c->info = bitmapInfo;
  c->space = CGColorSpaceRetain(space);
  c->gs.clip = CGRectMake(0, 0, (CGFloat)width, (CGFloat)height);
  return c;
}

void* CGBitmapContextGetData(CGContextRef c) {
  return c ? c->data : nullptr;
}
size_t CGBitmapContextGetWidth(CGContextRef c) {
  return c ? c->width : 0;
}
size_t CGBitmapContextGetHeight(CGContextRef c) {
  return c ? c->height : 0;
}
size_t CGBitmapContextGetBytesPerRow(CGContextRef c) {
  return c ? c->bytesPerRow : 0;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c) {
  return c ? c->info : 0;
}

CGContextRef CGContextRetain(CGContextRef c) {
  PlatformRetainIfAny(c);
  return c;
}

void CGContextRelease(CGContextRef c) {
  PlatformReleaseIfAny(c);
}

void CGContextSaveGState(CGContextRef c) {
  if (c) c->saved.push_back(c->gs);
}

void CGContextRestoreGState(CGContextRef c) {
  // An unbalanced restore is ignored, as the platform does.
  if (!c || c->saved.empty()) return;
  c->gs = c->saved.back();
  c->saved.pop_back();
}

void CGContextConcatCTM(CGContextRef c, CGAffineTransform t) {
  if (c) c->gs.ctm = CGAffineTransformConcat(t, c->gs.ctm);
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  CGContextConcatCTM(c, CGAffineTransform{1, 0, 0, 1, tx, ty});
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  CGContextConcatCTM(c, CGAffineTransform{sx, 0, 0, sy, 0, 0});
}

CGAffineTransform CGContextGetCTM(CGContextRef c) {
  return c ? c->gs.ctm : CGAffineTransformIdentity;
}

CGSize CGContextConvertSizeToDeviceSpace(CGContextRef c, CGSize s) {
  return c ? CGSizeApplyAffineTransform(s, c->gs.ctm) : s;
}

CGRect CGContextConvertRectToDeviceSpace(CGContextRef c, CGRect r) {
  return c ? CGRectApplyAffineTransform(r, c->gs.ctm) : r;
}

void CGContextClipToRect(CGContextRef c, CGRect r) {
  if (!c) return;
  c->gs.clip = CGRectIntersection(c->gs.clip, CGRectApplyAffineTransform(r, c->gs.ctm));
  if (CGRectIsNull(c->gs.clip)) c->gs.clip = CGRectMake(0, 0, 0, 0);
}

CGRect CGContextGetClipBoundingBox(CGContextRef c) {
  if (!c) return CGRectNull;
  return CGRectApplyAffineTransform(c->gs.clip, CGAffineTransformInvert(c->gs.ctm));
}

void CGContextSetAllowsFontSmoothing(CGContextRef c, bool allow) {
  if (c) c->gs.allowsFontSmoothing = allow;
}
void CGContextSetShouldSmoothFonts(CGContextRef c, bool smooth) {
  if (c) c->gs.shouldSmoothFonts = smooth;
}
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allow) {
  if (c) c->gs.allowsAntialiasing = allow;
}
void CGContextSetShouldAntialias(CGContextRef c, bool aa) {
  if (c) c->gs.shouldAntialias = aa;
}

static void SetRGBA(CGFloat* dst, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  dst[0] = r;
  dst[1] = g;
  dst[2] = b;
  dst[3] = a;
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color) {
  if (c && color) memcpy(c->gs.fill, color->comps, sizeof(c->gs.fill));
}
void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color) {
  if (c && color) memcpy(c->gs.stroke, color->comps, sizeof(c->gs.stroke));
}
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  if (c) SetRGBA(c->gs.fill, r, g, b, a);
}
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  if (c) SetRGBA(c->gs.stroke, r, g, b, a);
}
void CGContextSetLineWidth(CGContextRef c, CGFloat width) {
  if (c) c->gs.lineWidth = width;
}
