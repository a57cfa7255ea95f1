// Immutable arrays of the CoreFoundation stand-in (made by the platform, e.g. a frame's lines).
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFArray* CFArrayRef;

extern "C" {
CFIndex CFArrayGetCount(CFArrayRef a);
// Not retained for the caller; null out of range.
const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex idx);
}
