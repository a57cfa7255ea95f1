// The CoreFoundation and CoreGraphics pieces that text needs: strings, arrays, dictionaries,
// attributed strings, rectangle paths and the context's text state.
#include "PlatformInternal.h"
#include "coretext_internal.h"

#include <CoreGraphics/CoreGraphics.h>

#include "WDL/utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>

__CFString::__CFString(std::string t) : utf8(std::move(t)) {}

namespace {
// The characters of Mac Roman's bytes 0x80-0xFF.
const uint16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

std::string MacRomanToUtf8(const char* s, size_t len) {
  std::string out;
  for (size_t i = 0; i < len; ++i) {
    const unsigned char c = (unsigned char)s[i];
    WDL_Utf8Append(&out, c < 0x80 ? c : kMacRomanHigh[c - 0x80]);
  }
  return out;
}
} // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  size_t len = strlen(cStr);
  if (encoding == kCFStringEncodingASCII) {
    for (size_t i = 0; i < len; i++)
      if ((unsigned char)cStr[i] >= 0x80) return nullptr;
  } else if (encoding == kCFStringEncodingUTF8) {
    if (!WDL_Utf8IsValid(cStr, len)) return nullptr;
  } else if (encoding == kCFStringEncodingMacRoman) {
    return new __CFString(MacRomanToUtf8(cStr, len));
  } else {
    return nullptr;
  }
  return new __CFString(std::string(cStr, len));
}

CFIndex CFStringGetLength(CFStringRef s) {
  PlatformCheck<__CFString>(s, "CFStringGetLength");
  CFIndex n = 0;
  for (uint32_t cp : qv_ct::DecodeUtf8(s->utf8.data(), s->utf8.size())) n += cp > 0xFFFF ? 2 : 1;
  return n;
}

Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  PlatformCheck<__CFString>(s, "CFStringGetCString");
  if (!buffer || bufferSize < 1) return false;
  if (encoding == kCFStringEncodingASCII) {
    for (unsigned char c : s->utf8)
      if (c >= 0x80) return false;
  } else if (encoding != kCFStringEncodingUTF8) {
    return false;
  }
  if ((CFIndex)s->utf8.size() + 1 > bufferSize) return false;
  memcpy(buffer, s->utf8.c_str(), s->utf8.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef s, CFStringEncoding encoding) {
  PlatformCheck<__CFString>(s, "CFStringGetCStringPtr");
  return encoding == kCFStringEncodingUTF8 ? s->utf8.c_str() : nullptr;
}

__CFArray::~__CFArray() {
  if (callBacks.release)
    for (const void* v : values) callBacks.release(nullptr, v);
}

CFIndex CFArrayGetCount(CFArrayRef a) {
  return (CFIndex)PlatformCheck<__CFArray>(a, "CFArrayGetCount")->values.size();
}

const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex idx) {
  PlatformCheck<__CFArray>(a, "CFArrayGetValueAtIndex");
  if (idx < 0 || idx >= (CFIndex)a->values.size()) return nullptr;
  return a->values[(size_t)idx];
}

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0};

__CFDictionary::~__CFDictionary() {
  for (auto& kv : pairs) {
    PlatformReleaseIfAny(kv.first);
    PlatformReleaseIfAny(kv.second);
  }
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks*,
                                   const CFDictionaryValueCallBacks*) {
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) return nullptr;
  auto* d = new __CFDictionary;
  for (CFIndex i = 0; i < numValues; i++) {
    if (!keys[i] || !values[i]) continue; // the platform refuses null entries
    d->pairs.emplace_back(CFRetain(keys[i]), CFRetain(values[i]));
  }
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef d) {
  return (CFIndex)PlatformCheck<__CFDictionary>(d, "CFDictionaryGetCount")->pairs.size();
}

// Null for a missing key, as on the platform.
const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key) {
  PlatformCheck<__CFDictionary>(d, "CFDictionaryGetValue");
  PlatformCheckObject(key, "CFDictionaryGetValue");
  for (auto& kv : d->pairs)
    if (kv.first == key) return kv.second;
  // Keys of the stand-in are strings when they are not the same object.
  auto* k = dynamic_cast<const __CFString*>((const PlatformObject*)key);
  if (!k) return nullptr;
  for (auto& kv : d->pairs) {
    auto* s = dynamic_cast<const __CFString*>((const PlatformObject*)kv.first);
    if (s && s->utf8 == k->utf8) return kv.second;
  }
  return nullptr;
}

__CFAttributedString::~__CFAttributedString() {
  PlatformReleaseIfAny(string);
  PlatformReleaseIfAny(attributes);
}

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef, CFStringRef str,
                                               CFDictionaryRef attributes) {
  PlatformCheck<__CFString>(str, "CFAttributedStringCreate");
  auto* a = new __CFAttributedString;
  a->string = (CFStringRef)CFRetain(str);
  a->attributes = (CFDictionaryRef)PlatformRetainIfAny(attributes);
  return a;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef as) {
  return PlatformCheck<__CFAttributedString>(as, "CFAttributedStringGetString")->string;
}

CFIndex CFAttributedStringGetLength(CFAttributedStringRef as) {
  return CFStringGetLength(
      PlatformCheck<__CFAttributedString>(as, "CFAttributedStringGetLength")->string);
}

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef as, CFIndex,
                                                CFRange* effectiveRange) {
  PlatformCheck<__CFAttributedString>(as, "CFAttributedStringGetAttributes");
  if (effectiveRange) *effectiveRange = CFRangeMake(0, CFAttributedStringGetLength(as));
  return as->attributes;
}

CGMutablePathRef CGPathCreateMutable(void) {
  return new CGPath;
}

void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect) {
  if (path) path->rects.push_back(m ? CGRectApplyAffineTransform(rect, *m) : rect);
}

CGRect CGPathGetBoundingBox(CGPathRef path) {
  if (!path || path->rects.empty()) return CGRectNull;
  CGRect r = path->rects[0];
  for (const CGRect& q : path->rects) {
    CGFloat x0 = std::min(r.origin.x, q.origin.x), y0 = std::min(r.origin.y, q.origin.y);
    CGFloat x1 = std::max(r.origin.x + r.size.width, q.origin.x + q.size.width);
    CGFloat y1 = std::max(r.origin.y + r.size.height, q.origin.y + q.size.height);
    r = CGRectMake(x0, y0, x1 - x0, y1 - y0);
  }
  return r;
}

// Null is allowed for both, as on the platform.
CGPathRef CGPathRetain(CGPathRef path) {
  PlatformRetainIfAny(path);
  return path;
}

void CGPathRelease(CGPathRef path) {
  PlatformReleaseIfAny(path);
}

void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t) {
  if (c) c->textMatrix = t;
}

CGAffineTransform CGContextGetTextMatrix(CGContextRef c) {
  return c ? c->textMatrix : CGAffineTransformIdentity;
}

// As on the platform, the position is the translation of the text matrix.
void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y) {
  if (!c) return;
  c->textMatrix.tx = x;
  c->textMatrix.ty = y;
}

CGPoint CGContextGetTextPosition(CGContextRef c) {
  return c ? CGPointMake(c->textMatrix.tx, c->textMatrix.ty) : CGPointMake(0, 0);
}

void CGContextFillRect(CGContextRef c, CGRect r) {
  if (!c || !c->data) return;
  CGRect d = CGRectIntersection(CGRectApplyAffineTransform(r, c->gs.ctm), c->gs.clip);
  if (CGRectIsNull(d)) return;
  // Pixel (x, y) is covered when its centre (x + 0.5, y + 0.5) lies inside.
  long x0 = (long)std::ceil(d.origin.x - 0.5),
       x1 = (long)std::ceil(d.origin.x + d.size.width - 0.5);
  long y0 = (long)std::ceil(d.origin.y - 0.5),
       y1 = (long)std::ceil(d.origin.y + d.size.height - 0.5);
  const CGFloat* f = c->gs.fill;
  auto chan = [](CGFloat v) { return (int)std::lround(std::min(1.0, std::max(0.0, v)) * 255); };
  int cr = chan(f[0]), cg = chan(f[1]), cb = chan(f[2]), w = chan(f[3]);
  if (!w) return;
  for (long y = y0; y < y1; y++)
    for (long x = x0; x < x1; x++) {
      uint32_t* p = c->PixelAtDevice(x, y);
      if (!p) continue;
      uint32_t v = *p;
      int r0 = (v >> 16) & 0xFF, g0 = (v >> 8) & 0xFF, b0 = v & 0xFF;
      r0 = (r0 * (255 - w) + cr * w + 127) / 255;
      g0 = (g0 * (255 - w) + cg * w + 127) / 255;
      b0 = (b0 * (255 - w) + cb * w + 127) / 255;
      *p = (v & 0xFF000000u) | (uint32_t)r0 << 16 | (uint32_t)g0 << 8 | (uint32_t)b0;
    }
}
