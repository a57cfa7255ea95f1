// Strings of the CoreFoundation stand-in: immutable, held as UTF-8.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFString* CFStringRef;
typedef UInt32 CFStringEncoding;
typedef CFOptionFlags CFStringCompareFlags;
typedef const struct __CFDictionary* CFDictionaryRef;

enum : CFStringEncoding {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

extern "C" {
// A new string from a NUL-terminated text; null when the text is null or not valid in the
// encoding (ASCII takes bytes below 0x80 only; UTF-8 must be well formed; Mac Roman takes
// every byte).
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

CFTypeID CFStringGetTypeID(void);
// The same text (a new reference to the same immutable string); null for null.
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString);
// Bytes that length UTF-16 units may need in the encoding (not counting a terminator);
// -1 for a negative length, an unknown encoding or an overflow.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Compares by code points; options are ignored. Null sorts before any string.
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);
// printf-style with %@ for an object: a string's text, a number's value, another object's
// description; null prints "(null)". Null for a null or unusable format.
CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions,
                                     CFStringRef format, ...);
// A string that lives until the process ends (CFRelease does nothing to it); the same text
// gives the same object.
CFStringRef __CFStringMakeConstantString(const char* cStr);
// A textual description: a string's own text; others their type and address.
CFStringRef CFCopyDescription(CFTypeRef cf);
}

#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")
