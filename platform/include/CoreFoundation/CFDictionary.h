// Immutable dictionaries of the CoreFoundation stand-in. Keys and values are counted
// objects; the dictionary retains both. Keys compare by identity or, for strings, by text.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFDictionary* CFDictionaryRef;
typedef struct __CFDictionary* CFMutableDictionaryRef;

// Only the retaining call-backs of counted objects exist; their contents are not used, and
// every key and value must be a counted object.
struct CFDictionaryKeyCallBacks {
  CFIndex version;
};
struct CFDictionaryValueCallBacks {
  CFIndex version;
};

extern "C" {
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

// Null when numValues is negative or an array is missing while numValues > 0.
CFDictionaryRef CFDictionaryCreate(CFAllocatorRef alloc, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);
CFIndex CFDictionaryGetCount(CFDictionaryRef d);
// Not retained for the caller; null when absent.
const void* CFDictionaryGetValue(CFDictionaryRef d, const void* key);

CFTypeID CFDictionaryGetTypeID(void);
// capacity: 0 for unbounded, else the most pairs it takes. Null for a negative capacity.
CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks);
// Adds or replaces (the old value is released); both are retained. Nothing happens for a null
// or immutable dictionary, a null key or value, or when the capacity is reached.
void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value);
void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key);
}
