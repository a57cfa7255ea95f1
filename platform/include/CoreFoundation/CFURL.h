// File URLs of the CoreFoundation stand-in.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFURL* CFURLRef;

extern "C" {
// Creates a file URL from a file-system path of len bytes; null when path is null.
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* path,
                                                 CFIndex len, Boolean isDirectory);
// Copies the URL's path, NUL-terminated, into buffer; false when it does not fit.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);
}
