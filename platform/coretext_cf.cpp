// The CoreFoundation and CoreGraphics pieces that text needs: strings, arrays, dictionaries,
// attributed strings, rectangle paths and the context's text state.
#include "PlatformInternal.h"
#include "coretext_internal.h"

#include <CoreGraphics/CoreGraphics.h>

#include <algorithm>
#include <cmath>
#include <cstring>

__CFString::__CFString(std::string t) : utf8(std::move(t)) {}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  size_t len = strlen(cStr);
  if (encoding == kCFStringEncodingASCII) {
    for (size_t i = 0; i < len; i++)
      if ((unsigned char)cStr[i] >= 0x80) return nullptr;
  } else if (encoding == kCFStringEncodingUTF8) {
    if (!qv_ct::IsValidUtf8(cStr, len)) return nullptr;
  } else {
    return nullptr;
  }
  return new __CFString(std::string(cStr, len));
}

CFIndex CFStringGetLength(CFStringRef s) {
  if (!s) return 0;
  CFIndex n = 0;
  for (uint32_t cp : qv_ct::DecodeUtf8(s->utf8.data(), s->utf8.size())) n += cp > 0xFFFF ? 2 : 1;
  return n;
}

Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
  if (!s || !buffer || bufferSize < 1) return false;
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
  return s && encoding == kCFStringEncodingUTF8 ? s->utf8.c_str() : nullptr;
}

__CFArray::~__CFArray() {
  if (callBacks.release)
    for (const void* v : values) callBacks.release(nullptr, v);
}

CFIndex CFArrayGetCount(CFArrayRef a) {
  return a ? (CFIndex)a->values.size() : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex idx) {
  if (!a || idx < 0 || idx >= (CFIndex)a->values.size()) return nullptr;
  return a->values[(size_t)idx];
}

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0};

__CFDictionary::~__CFDictionary() {
  for (auto& kv : pairs) {
    CFRelease(kv.first);
    CFRelease(kv.second);
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
  return d ? (CFIndex)d->pairs.size() : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key) {
  if (!d || !key) return nullptr;
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
  CFRelease(string);
  CFRelease(attributes);
}

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef, CFStringRef str,
                                               CFDictionaryRef attributes) {
  if (!str) return nullptr;
  auto* a = new __CFAttributedString;
  a->string = (CFStringRef)CFRetain(str);
  a->attributes = (CFDictionaryRef)CFRetain(attributes);
  return a;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef as) {
  return as ? as->string : nullptr;
}

CFIndex CFAttributedStringGetLength(CFAttributedStringRef as) {
  return as ? CFStringGetLength(as->string) : 0;
}

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef as, CFIndex,
                                                CFRange* effectiveRange) {
  if (effectiveRange) *effectiveRange = CFRangeMake(0, CFAttributedStringGetLength(as));
  return as ? as->attributes : nullptr;
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

CGPathRef CGPathRetain(CGPathRef path) {
  CFRetain(path);
  return path;
}

void CGPathRelease(CGPathRef path) {
  CFRelease(path);
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
