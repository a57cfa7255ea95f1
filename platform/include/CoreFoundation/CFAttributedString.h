// Attributed strings of the CoreFoundation stand-in: one set of attributes over the whole
// string, which is all that text drawing here asks for.
#pragma once

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

typedef const struct __CFAttributedString* CFAttributedStringRef;

extern "C" {
// Retains the string and the attributes; null for a null string.
CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef alloc, CFStringRef str,
                                               CFDictionaryRef attributes);
// Not retained for the caller.
CFStringRef CFAttributedStringGetString(CFAttributedStringRef as);
CFIndex CFAttributedStringGetLength(CFAttributedStringRef as);
// The attributes at loc (the same for every index); effectiveRange may be null.
CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef as, CFIndex loc,
                                                CFRange* effectiveRange);
}
