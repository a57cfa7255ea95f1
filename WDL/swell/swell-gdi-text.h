// Helpers of the GDI emulation's text half (swell-gdi-text.cpp) beside the Win32 calls
// declared in swell-functions.h.
#pragma once

#include <CoreFoundation/CFString.h>

// Copies at most n - 1 characters and always terminates; nothing when n is below 1.
void lstrcpyn_safe(char* dst, const char* src, int n);
// A new string of the text; bytes that are not UTF-8 read by the project's rule (WDL/utf8.h).
// A null text counts as empty. The caller releases it; null only when memory runs out.
CFStringRef CStringToNSString(const char* text);
// The PostScript name for a face-name text, cached per distinct text for the process (do
// not release it); the text itself when no face of that name exists; "" for null or "".
// Any thread.
CFStringRef SWELL_GetCachedFontName(const char* name);
