// Images, data providers, the main display and its cursor, and the system colour profile.

#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <ColorSync/ColorSync.h>

#include <cmath>
#include <mutex>

struct CGDataProvider : PlatformObject {
  void* info = nullptr;
  const unsigned char* data = nullptr; // not owned
  size_t size = 0;
  CGDataProviderReleaseDataCallback releaseData = nullptr;
  ~CGDataProvider() override {
    if (releaseData) releaseData(info, data, size);
  }
};

struct CGImage : PlatformObject {
  size_t width = 0, height = 0, bytesPerRow = 0;
  CGBitmapInfo info = 0;
  CGColorSpaceRef space = nullptr;      // retained
  CGDataProviderRef provider = nullptr; // retained
  ~CGImage() override {
    CFRelease(space);
    CFRelease(provider);
  }
};

struct OpaqueCMProfileRef : PlatformObject {};

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
  if (!data) return nullptr;
  auto* p = new CGDataProvider;
  p->info = info;
  p->data = (const unsigned char*)data;
  p->size = size;
  p->releaseData = releaseData;
  return p;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) {
  CFRetain(provider);
  return provider;
}

void CGDataProviderRelease(CGDataProviderRef provider) {
  CFRelease(provider);
}

namespace {
bool LayoutSupported(CGBitmapInfo info) {
  const uint32_t alpha = info & kCGBitmapAlphaInfoMask;
  const uint32_t order = info & kCGBitmapByteOrderMask;
  return alpha >= kCGImageAlphaPremultipliedLast && alpha <= kCGImageAlphaNoneSkipFirst &&
         (order == kCGBitmapByteOrderDefault || order == kCGBitmapByteOrder32Little ||
          order == kCGBitmapByteOrder32Big);
}

bool AlphaFirst(uint32_t alpha) {
  return alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst ||
         alpha == kCGImageAlphaNoneSkipFirst;
}
bool AlphaSkipped(uint32_t alpha) {
  return alpha == kCGImageAlphaNoneSkipFirst || alpha == kCGImageAlphaNoneSkipLast;
}
bool AlphaStraight(uint32_t alpha) {
  return alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaLast;
}

uint32_t LoadWord(const unsigned char* b, CGBitmapInfo info) {
  if ((info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little)
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
  return (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | (uint32_t)b[3];
}

void StoreWord(unsigned char* b, uint32_t w, CGBitmapInfo info) {
  if ((info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little) {
    b[0] = (unsigned char)w, b[1] = (unsigned char)(w >> 8), b[2] = (unsigned char)(w >> 16),
    b[3] = (unsigned char)(w >> 24);
  } else {
    b[0] = (unsigned char)(w >> 24), b[1] = (unsigned char)(w >> 16),
    b[2] = (unsigned char)(w >> 8), b[3] = (unsigned char)w;
  }
}

struct Argb {
  unsigned a, r, g, b; // premultiplied, 0..255
};

Argb Decode(const unsigned char* px, CGBitmapInfo info) {
  const uint32_t w = LoadWord(px, info);
  const uint32_t alpha = info & kCGBitmapAlphaInfoMask;
  Argb c;
  if (AlphaFirst(alpha)) {
    c = {w >> 24, (w >> 16) & 255, (w >> 8) & 255, w & 255};
  } else {
    c = {w & 255, w >> 24, (w >> 16) & 255, (w >> 8) & 255};
  }
  if (AlphaSkipped(alpha)) c.a = 255;
  if (AlphaStraight(alpha)) {
    c.r = (c.r * c.a + 127) / 255;
    c.g = (c.g * c.a + 127) / 255;
    c.b = (c.b * c.a + 127) / 255;
  }
  return c;
}

void Encode(unsigned char* px, Argb c, CGBitmapInfo info) {
  const uint32_t alpha = info & kCGBitmapAlphaInfoMask;
  if (AlphaStraight(alpha) && c.a > 0 && c.a < 255) {
    c.r = std::min(255u, (c.r * 255 + c.a / 2) / c.a);
    c.g = std::min(255u, (c.g * 255 + c.a / 2) / c.a);
    c.b = std::min(255u, (c.b * 255 + c.a / 2) / c.a);
  }
  if (AlphaSkipped(alpha)) {
    // The skipped byte keeps what was there.
    const uint32_t old = LoadWord(px, info);
    c.a = AlphaFirst(alpha) ? old >> 24 : old & 255;
  }
  const uint32_t w = AlphaFirst(alpha) ? (c.a << 24 | c.r << 16 | c.g << 8 | c.b)
                                       : (c.r << 24 | c.g << 16 | c.b << 8 | c.a);
  StoreWord(px, w, info);
}
} // namespace

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* /*decode*/,
                         bool /*shouldInterpolate*/, CGColorRenderingIntent /*intent*/) {
  if (!space || !provider || width == 0 || height == 0) return nullptr;
  if (bitsPerComponent != 8 || bitsPerPixel != 32 || !LayoutSupported(bitmapInfo)) return nullptr;
  if (width > ((size_t)1 << 20) || height > ((size_t)1 << 20) || bytesPerRow / 4 < width)
    return nullptr;
  if (provider->size / bytesPerRow < height - 1 ||
      provider->size - (height - 1) * bytesPerRow < width * 4)
    return nullptr;
  auto* img = new CGImage;
  img->width = width;
  img->height = height;
  img->bytesPerRow = bytesPerRow;
  img->info = bitmapInfo;
  img->space = CGColorSpaceRetain(space);
  img->provider = CGDataProviderRetain(provider);
  return img;
}

CGImageRef CGImageRetain(CGImageRef image) {
  CFRetain(image);
  return image;
}

void CGImageRelease(CGImageRef image) {
  CFRelease(image);
}

size_t CGImageGetWidth(CGImageRef image) {
  return image ? image->width : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
  return image ? image->height : 0;
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image) {
  if (!c || !image || rect.size.width <= 0 || rect.size.height <= 0) return;
  const CGRect dev = CGRectApplyAffineTransform(rect, c->gs.ctm);
  const CGRect area = CGRectIntersection(dev, c->gs.clip);
  if (CGRectIsNull(area) || CGRectIsEmpty(area)) return;
  const CGAffineTransform inv = CGAffineTransformInvert(c->gs.ctm);
  const long x0 = (long)std::floor(area.origin.x), y0 = (long)std::floor(area.origin.y);
  const long x1 = (long)std::ceil(area.origin.x + area.size.width);
  const long y1 = (long)std::ceil(area.origin.y + area.size.height);
  const auto inside = [&](double x, double y) {
    return x >= area.origin.x && x < area.origin.x + area.size.width && y >= area.origin.y &&
           y < area.origin.y + area.size.height;
  };
  for (long dy = y0; dy < y1; ++dy) {
    for (long dx = x0; dx < x1; ++dx) {
      const double cx = (double)dx + 0.5, cy = (double)dy + 0.5;
      uint32_t* dst = c->PixelAtDevice(dx, dy);
      if (!dst || !inside(cx, cy)) continue;
      const CGPoint u = CGPointApplyAffineTransform(CGPointMake(cx, cy), inv);
      long ix = (long)std::floor((u.x - rect.origin.x) / rect.size.width * (double)image->width);
      long iy = (long)std::floor((rect.origin.y + rect.size.height - u.y) / rect.size.height *
                                 (double)image->height);
      ix = std::min(std::max(ix, 0L), (long)image->width - 1);
      iy = std::min(std::max(iy, 0L), (long)image->height - 1);
      const Argb s = Decode(
          image->provider->data + (size_t)iy * image->bytesPerRow + (size_t)ix * 4, image->info);
      Argb out = s;
      if (s.a < 255) {
        const Argb d = Decode((const unsigned char*)dst, c->info);
        const unsigned k = 255 - s.a;
        out = {s.a + (d.a * k + 127) / 255, s.r + (d.r * k + 127) / 255,
               s.g + (d.g * k + 127) / 255, s.b + (d.b * k + 127) / 255};
      }
      Encode((unsigned char*)dst, out, c->info);
    }
  }
}

// ---- The main display and its cursor

namespace {
const CGDirectDisplayID kMainDisplay = 1;
std::mutex s_cursorLock;
int s_hideCount = 0;
CGPoint s_cursorMove = {0, 0};
} // namespace

CGDirectDisplayID CGMainDisplayID(void) {
  return kMainDisplay;
}

CGError CGDisplayHideCursor(CGDirectDisplayID display) {
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> g(s_cursorLock);
  ++s_hideCount;
  return kCGErrorSuccess;
}

CGError CGDisplayShowCursor(CGDirectDisplayID display) {
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> g(s_cursorLock);
  if (s_hideCount > 0) --s_hideCount;
  return kCGErrorSuccess;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point) {
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  std::lock_guard<std::mutex> g(s_cursorLock);
  s_cursorMove = point;
  return kCGErrorSuccess;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID display) {
  return display == kMainDisplay ? 900 : 0;
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display) {
  return display == kMainDisplay ? 1440 : 0;
}

bool PlatformTest_CursorHidden(void) {
  std::lock_guard<std::mutex> g(s_cursorLock);
  return s_hideCount > 0;
}

void PlatformTest_LastCursorMove(double* x, double* y) {
  std::lock_guard<std::mutex> g(s_cursorLock);
  if (x) *x = s_cursorMove.x;
  if (y) *y = s_cursorMove.y;
}

CMError CMGetSystemProfile(CMProfileRef* prof) {
  if (!prof) return -50;
  *prof = new OpaqueCMProfileRef;
  return 0;
}

CMError CMCloseProfile(CMProfileRef prof) {
  CFRelease(prof);
  return 0;
}
