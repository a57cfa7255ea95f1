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
typedef const struct __CFAllocator* CFAllocatorRef;

#define kCFAllocatorDefault ((CFAllocatorRef) nullptr)

// Every CoreFoundation-style object of the platform (CF and CG types alike) is counted:
// a new object starts at 1, CFRelease at 1 destroys it. Null is ignored by CFRelease.
extern "C" {
CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
}
