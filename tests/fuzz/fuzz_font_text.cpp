// fuzz-links: swell
// Face names and drawn text from arbitrary bytes: the CoreText stand-in's name resolution
// and UTF-8 decoding, and the GDI text functions that measure and draw with them.
#include "WDL/swell/swell.h"

#include <CoreText/CoreText.h>

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 8192) return 0;
  const int options = data[0], height = (int8_t)data[1];
  const char* rest = reinterpret_cast<const char*>(data) + 2;
  const size_t restLen = size - 2;
  const char* nl = static_cast<const char*>(std::memchr(rest, '\n', restLen));
  const size_t nameLen = nl ? static_cast<size_t>(nl - rest) : 0;
  const std::string name(rest, nameLen);
  const std::string text(rest + (nl ? nameLen + 1 : 0), restLen - (nl ? nameLen + 1 : 0));

  // Any name straight to CoreText; the GDI layer caches names for good, so it gets a few.
  if (CFStringRef s = CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingUTF8)) {
    if (CTFontRef f = CTFontCreateWithName(s, height, nullptr)) CFRelease(f);
    CFRelease(s);
  }
  static const char* const kFaces[] = {"Arial", "Courier New", "Times", "No Such Face"};
  HFONT font = CreateFont(height, 0, 0, 0, options & 4 ? 700 : 400, options & 8, 0, 0, 0, 0, 0, 0,
                          0, kFaces[options & 3]);
  HDC dc = SWELL_CreateMemContext(nullptr, 64, 32);
  if (dc && font) {
    SelectObject(dc, font);
    const int flags = (options & 0x10 ? DT_SINGLELINE : 0) | (options & 0x20 ? DT_NOPREFIX : 0) |
                      (options & 0x40 ? DT_CENTER | DT_VCENTER : 0);
    RECT r = {0, 0, 64, 32};
    SWELL_DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
    r = {-8, -8, 60, 30};
    SWELL_DrawText(dc, text.c_str(), options & 0x80 ? -1 : static_cast<int>(text.size()), &r,
                   flags);
    char face[8];
    GetTextFace(dc, sizeof face, face);
  }
  if (dc) SWELL_DeleteGfxContext(dc);
  if (font) DeleteObject(font);
  return 0;
}
