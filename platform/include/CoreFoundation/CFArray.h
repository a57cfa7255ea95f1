// Arrays of the CoreFoundation stand-in. An array holds its values through its call-backs:
// the CFType call-backs retain and release counted objects; custom call-backs hold any
// pointer the way they say. Immutable arrays come from CFArrayCreate and the platform.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;
typedef const struct __CFString* CFStringRef;

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);

// Any call-back may be null: the value is then held as is, described not at all and
// compared by identity.
struct CFArrayCallBacks {
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
};

extern "C" {
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

CFTypeID CFArrayGetTypeID(void);
// A null callBacks holds values as they are. Null when numValues is negative or values is
// null while numValues > 0.
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
// capacity: 0 for unbounded, else the most values the array takes (more are not appended).
// Null for a negative capacity.
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
// Holds the value through the retain call-back. Nothing happens for a null or immutable
// array or when the capacity is reached.
void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value);
CFIndex CFArrayGetCount(CFArrayRef a);
// Not retained for the caller; null out of range.
const void* CFArrayGetValueAtIndex(CFArrayRef a, CFIndex idx);
// Whether the value (compared with the equal call-back) is among the range's values.
Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value);
}
