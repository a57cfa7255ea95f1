// Immutable byte blocks of the CoreFoundation stand-in.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFData* CFDataRef;

extern "C" {
CFTypeID CFDataGetTypeID(void);
// Copies length bytes; null when length is negative or bytes is null while length > 0.
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
// 0 for null.
CFIndex CFDataGetLength(CFDataRef theData);
// Valid while the data lives; null for null or an empty block.
const UInt8* CFDataGetBytePtr(CFDataRef theData);
}
