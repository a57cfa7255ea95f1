// Immutable dictionaries of the CoreFoundation stand-in. Keys and values are counted
// objects; the dictionary retains both. Keys compare by identity or, for strings, by text.
#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct __CFDictionary* CFDictionaryRef;

// Only the retaining call-backs of counted objects exist; their contents are not used.
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
}
