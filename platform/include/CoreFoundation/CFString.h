// Strings of the CoreFoundation stand-in: immutable, held as UTF-8.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFString* CFStringRef;
typedef UInt32 CFStringEncoding;

enum : CFStringEncoding {
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

struct CFRange {
  CFIndex location, length;
};
inline CFRange CFRangeMake(CFIndex loc, CFIndex len) {
  return CFRange{loc, len};
}

extern "C" {
// A new string from a NUL-terminated text; null when the text is null or not valid in the
// encoding (ASCII takes bytes below 0x80 only; UTF-8 must be well formed).
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                      CFStringEncoding encoding);
// Length in UTF-16 units, as the platform counts it; 0 for null.
CFIndex CFStringGetLength(CFStringRef s);
// Copies the text NUL-terminated into buffer (bufferSize bytes); false when it does not
// fit or cannot be expressed in the encoding.
Boolean CFStringGetCString(CFStringRef s, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
// The UTF-8 text itself, valid while the string lives; null for other encodings.
const char* CFStringGetCStringPtr(CFStringRef s, CFStringEncoding encoding);
}
