// Core types and reference counting of the CoreFoundation stand-in.
#pragma once

#include <cstddef>
#include <cstdint>

typedef unsigned char Boolean;
typedef uint8_t UInt8;
typedef uint16_t UInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;
typedef const struct __CFAllocator* CFAllocatorRef;

typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;

#define kCFAllocatorDefault ((CFAllocatorRef) nullptr)

struct CFRange {
  CFIndex location, length;
};
inline CFRange CFRangeMake(CFIndex loc, CFIndex len) {
  return CFRange{loc, len};
}

enum CFComparisonResult : CFIndex {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

// A type id no object has.
enum : CFTypeID { _kCFRuntimeNotATypeID = 0 };

// Every CoreFoundation-style object of the platform (CF and CG types alike) is counted:
// a new object starts at 1, CFRelease at 1 destroys it.
// As on the platform, these and every accessor of a typed object (CFStringGetLength,
// CFDictionaryGetValue's dictionary...) require a live object of their type: null, a freed
// object or another type aborts the process with a message naming the function. Any thread.
extern "C" {
CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
// Same object or equal value (strings by text).
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CFHashCode CFHash(CFTypeRef cf);

// The default allocator is the only one: plain malloc and free. Allocate answers null for a
// size of 0 or below and when memory runs out (or a test hook makes it fail).
CFAllocatorRef CFAllocatorGetDefault(void);
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);
}
