// Object records behind the stand-in handles, shared by the platform's own sources.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreGraphics/CoreGraphics.h>

#include <atomic>
#include <string>
#include <vector>

// Base of every counted object; CFRetain/CFRelease work on any of them.
struct PlatformObject {
  PlatformObject();
  virtual ~PlatformObject();
  PlatformObject(const PlatformObject&) = delete;
  PlatformObject& operator=(const PlatformObject&) = delete;
  std::atomic<long> refs{1};
};

// Writes "function() what" to standard error and aborts, as the platform crashes there.
[[noreturn]] void PlatformFatal(const char* function, const char* what);
// cf itself when it is a live object; aborts, naming the function, when it is null, freed or
// no object at all. Any thread.
const PlatformObject* PlatformCheckObject(CFTypeRef cf, const char* function);
// cf as a live T; aborts as above, and when it is another kind of object.
template <class T> T* PlatformCheck(const void* cf, const char* function) {
  auto* t = dynamic_cast<const T*>(PlatformCheckObject(cf, function));
  if (!t) PlatformFatal(function, "called on an object of another type");
  return const_cast<T*>(t);
}
// For the stand-in's own optional references: nothing happens for null.
void PlatformReleaseIfAny(CFTypeRef cf);
CFTypeRef PlatformRetainIfAny(CFTypeRef cf);

// Counts objects that are not PlatformObjects (the Cocoa stand-in's) in the same live count.
void PlatformCountLiveObject(long delta);

struct __CFURL : PlatformObject {
  std::string path;
  bool isDirectory = false;
};

struct __CFBundle : PlatformObject {
  std::string path;
  CFStringRef identifier = nullptr; // owned; null when it has none
  ~__CFBundle() override;
};

struct __CFNumber : PlatformObject {
  CFNumberType type = 0; // as created
  bool isFloat = false;
  int64_t i = 0; // the value when it is an integer type
  double d = 0;  // the value when it is a float type
};

struct __CFData : PlatformObject {
  std::vector<UInt8> bytes;
};

// Takes an object that lives until the process ends out of the live-object count.
void PlatformUncountImmortal();

struct CGColorSpace : PlatformObject {
  size_t components = 3;
};

struct CGColor : PlatformObject {
  CGColorSpaceRef space = nullptr; // retained
  CGFloat comps[4] = {0, 0, 0, 1}; // r, g, b, a
  ~CGColor() override;
};

struct CGGState {
  CGAffineTransform ctm = {1, 0, 0, 1, 0, 0};
  CGRect clip = {{0, 0}, {0, 0}}; // device space
  CGFloat fill[4] = {0, 0, 0, 1};
  CGFloat stroke[4] = {0, 0, 0, 1};
  CGFloat lineWidth = 1;
  bool allowsFontSmoothing = true;
  bool shouldSmoothFonts = true;
  bool allowsAntialiasing = true;
  bool shouldAntialias = true;
};

struct CGContext : PlatformObject {
  unsigned char* data = nullptr; // not owned
  size_t width = 0, height = 0, bytesPerRow = 0;
  CGBitmapInfo info = 0;
  CGColorSpaceRef space = nullptr; // retained
  CGGState gs;
  std::vector<CGGState> saved;
  // Text matrix, its translation being the text position; not part of the saved state.
  CGAffineTransform textMatrix = {1, 0, 0, 1, 0, 0};
  ~CGContext() override;

  // Address of the pixel at device (x, y), origin bottom left; null outside the bitmap.
  uint32_t* PixelAtDevice(long x, long y) const {
    if (x < 0 || y < 0 || (size_t)x >= width || (size_t)y >= height) return nullptr;
    return (uint32_t*)(data + (height - 1 - (size_t)y) * bytesPerRow) + x;
  }
};
