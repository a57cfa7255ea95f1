// Images, data providers, the main display and its cursor, and the system colour profile.

#include "PlatformInternal.h"
#include "PlatformTestHooks.h"

#include <ColorSync/ColorSync.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

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
    PlatformReleaseIfAny(space);
    PlatformReleaseIfAny(provider);
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
  PlatformRetainIfAny(provider);
  return provider;
}

void CGDataProviderRelease(CGDataProviderRef provider) {
  PlatformReleaseIfAny(provider);
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
  PlatformRetainIfAny(image);
  return image;
}

void CGImageRelease(CGImageRef image) {
  PlatformReleaseIfAny(image);
}

size_t CGImageGetWidth(CGImageRef image) {
  return image ? image->width : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
  return image ? image->height : 0;
}

namespace {
std::atomic<bool> s_imageFastPaths{true};
} // namespace

void PlatformTest_SetImageFastPaths(bool on) {
  s_imageFastPaths = on;
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
  // Source column and row of a device pixel's centre (nearest sample), -1 outside the area.
  const auto column = [&](double cx, double cy) {
    const CGPoint u = CGPointApplyAffineTransform(CGPointMake(cx, cy), inv);
    const long ix =
        (long)std::floor((u.x - rect.origin.x) / rect.size.width * (double)image->width);
    return std::min(std::max(ix, 0L), (long)image->width - 1);
  };
  const auto row = [&](double cx, double cy) {
    const CGPoint u = CGPointApplyAffineTransform(CGPointMake(cx, cy), inv);
    const long iy = (long)std::floor((rect.origin.y + rect.size.height - u.y) / rect.size.height *
                                     (double)image->height);
    return std::min(std::max(iy, 0L), (long)image->height - 1);
  };
  // Without rotation or shear a column's source depends on x alone and a row's on y alone
  // (the other term of the transform is an exact zero), so each is worked out once.
  const bool fast = s_imageFastPaths;
  const bool separable = fast && inv.b == 0 && inv.c == 0;
  // An opaque pixel between two bitmaps of one premultiplied layout is copied as it is.
  const uint32_t alphaInfo = image->info & kCGBitmapAlphaInfoMask;
  const bool sameLayout =
      fast && image->info == c->info && !AlphaStraight(alphaInfo) && !AlphaSkipped(alphaInfo);
  // A source without alpha (skipped first byte) into premultiplied alpha-first pixels of the
  // same byte order, as the editor's bitmap reaches a window: the colour with alpha 255.
  const uint32_t destAlpha = c->info & kCGBitmapAlphaInfoMask;
  const bool opaqueInto =
      AlphaSkipped(alphaInfo) && AlphaFirst(alphaInfo) && !AlphaSkipped(destAlpha) &&
      !AlphaStraight(destAlpha) && AlphaFirst(destAlpha) &&
      (image->info & kCGBitmapByteOrderMask) == (c->info & kCGBitmapByteOrderMask);
  std::vector<long> cols, rows;
  if (separable) {
    const double anyY = area.origin.y, anyX = area.origin.x;
    for (long dx = x0; dx < x1; ++dx) {
      const double cx = (double)dx + 0.5;
      cols.push_back(cx >= area.origin.x && cx < area.origin.x + area.size.width ? column(cx, anyY)
                                                                                 : -1);
    }
    for (long dy = y0; dy < y1; ++dy) {
      const double cy = (double)dy + 0.5;
      rows.push_back(cy >= area.origin.y && cy < area.origin.y + area.size.height ? row(anyX, cy)
                                                                                  : -1);
    }
  }
  if (separable && opaqueInto) {
    // Whole rows: each pixel's bytes as they are, the alpha byte made 255.
    const int alphaByte = (c->info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little ? 3 : 0;
    const long cx0 = std::max(x0, 0L), cx1 = std::min(x1, (long)c->width);
    unsigned char maskBytes[4] = {0, 0, 0, 0};
    maskBytes[alphaByte] = 255;
    uint32_t alphaMask;
    memcpy(&alphaMask, maskBytes, 4);
    bool contiguous = cx0 < cx1 && cols[(size_t)(cx0 - x0)] >= 0;
    for (long dx = cx0 + 1; contiguous && dx < cx1; ++dx)
      contiguous = cols[(size_t)(dx - x0)] == cols[(size_t)(dx - 1 - x0)] + 1;
    for (long dy = y0; dy < y1 && cx0 < cx1; ++dy) {
      const long iy = rows[(size_t)(dy - y0)];
      auto* d = (unsigned char*)c->PixelAtDevice(cx0, dy);
      if (iy < 0 || !d) continue;
      const unsigned char* srow = image->provider->data + (size_t)iy * image->bytesPerRow;
      if (contiguous) {
        // Source columns run one by one: a straight copy of words with the alpha set.
        const unsigned char* sp = srow + (size_t)cols[(size_t)(cx0 - x0)] * 4;
        for (long n = cx1 - cx0; n > 0; --n, d += 4, sp += 4) {
          uint32_t w;
          memcpy(&w, sp, 4);
          w |= alphaMask;
          memcpy(d, &w, 4);
        }
        continue;
      }
      for (long dx = cx0; dx < cx1; ++dx, d += 4) {
        const long ix = cols[(size_t)(dx - x0)];
        if (ix < 0) continue;
        memcpy(d, srow + (size_t)ix * 4, 4);
        d[alphaByte] = 255;
      }
    }
    return;
  }
  for (long dy = y0; dy < y1; ++dy) {
    if (separable && rows[(size_t)(dy - y0)] < 0) continue;
    for (long dx = x0; dx < x1; ++dx) {
      const double cx = (double)dx + 0.5, cy = (double)dy + 0.5;
      uint32_t* dst = c->PixelAtDevice(dx, dy);
      if (!dst) continue;
      long ix, iy;
      if (separable) {
        ix = cols[(size_t)(dx - x0)];
        iy = rows[(size_t)(dy - y0)];
        if (ix < 0) continue;
      } else {
        if (!inside(cx, cy)) continue;
        ix = column(cx, cy);
        iy = row(cx, cy);
      }
      const unsigned char* src =
          image->provider->data + (size_t)iy * image->bytesPerRow + (size_t)ix * 4;
      if (sameLayout) {
        const uint32_t w = LoadWord(src, image->info);
        const unsigned a = AlphaFirst(alphaInfo) ? w >> 24 : w & 255;
        if (a == 255) {
          memcpy(dst, src, 4);
          continue;
        }
        // The general path below, unrolled for this layout: source over destination.
        const uint32_t d = LoadWord((const unsigned char*)dst, c->info);
        const unsigned k = 255 - a;
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          const unsigned sc = (w >> shift) & 255, dc = (d >> shift) & 255;
          out |= (uint32_t)(sc + (dc * k + 127) / 255) << shift;
        }
        StoreWord((unsigned char*)dst, out, c->info);
        continue;
      }
      const Argb s = Decode(src, image->info);
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
  PlatformCheck<OpaqueCMProfileRef>(prof, "CMCloseProfile");
  CFRelease(prof);
  return 0;
}
