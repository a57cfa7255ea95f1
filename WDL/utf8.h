// The project's one UTF-8 rule, shared by the raster text path, the editor's menus and text
// fields, and the strings handed to the platform. A well-formed sequence (shortest form, no
// surrogate, at most U+10FFFF) is its character; any other byte stands alone for the character
// of the same value (Latin-1), so text that is not UTF-8 still shows every byte, the same
// everywhere. Header-only, with no dependencies, so the platform stand-in can share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Decodes the character at s, of which at most len bytes (len >= 1) are read; a byte that is
// not a continuation ends the reading, so a NUL-terminated text may pass a len beyond its end.
// Answers the bytes used (1 to 4); *wellFormed (when given) says whether they were UTF-8.
inline int WDL_Utf8Decode(const unsigned char* s, size_t len, uint32_t* cp,
                          bool* wellFormed = nullptr) {
  const unsigned b = s[0];
  const int extra = b < 0x80                 ? 0
                    : b >= 0xC2 && b <= 0xDF ? 1
                    : b >= 0xE0 && b <= 0xEF ? 2
                    : b >= 0xF0 && b <= 0xF4 ? 3
                                             : -1;
  bool ok = extra >= 0 && (size_t)extra < len;
  uint32_t v = b;
  if (ok && extra > 0) {
    v = b & (0x3Fu >> extra);
    for (int k = 1; k <= extra && ok; ++k) {
      ok = (s[k] & 0xC0) == 0x80;
      v = v << 6 | (s[k] & 0x3F);
    }
    static const uint32_t kShortest[4] = {0, 0x80, 0x800, 0x10000};
    ok = ok && v >= kShortest[extra] && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
  }
  if (wellFormed) *wellFormed = ok;
  *cp = ok ? v : b;
  return ok ? extra + 1 : 1;
}

// Whether all len bytes are well-formed UTF-8.
inline bool WDL_Utf8IsValid(const char* text, size_t len) {
  const unsigned char* s = (const unsigned char*)text;
  for (size_t i = 0; i < len;) {
    uint32_t cp;
    bool ok;
    i += (size_t)WDL_Utf8Decode(s + i, len - i, &cp, &ok);
    if (!ok) return false;
  }
  return true;
}

// Appends the character (at most U+10FFFF) in UTF-8.
inline void WDL_Utf8Append(std::string* out, uint32_t cp) {
  if (cp < 0x80) {
    *out += (char)cp;
  } else if (cp < 0x800) {
    *out += (char)(0xC0 | (cp >> 6));
    *out += (char)(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out += (char)(0xE0 | (cp >> 12));
    *out += (char)(0x80 | ((cp >> 6) & 0x3F));
    *out += (char)(0x80 | (cp & 0x3F));
  } else {
    *out += (char)(0xF0 | (cp >> 18));
    *out += (char)(0x80 | ((cp >> 12) & 0x3F));
    *out += (char)(0x80 | ((cp >> 6) & 0x3F));
    *out += (char)(0x80 | (cp & 0x3F));
  }
}

// The text as well-formed UTF-8 by the rule above: UTF-8 text comes back unchanged.
inline std::string WDL_Utf8Sanitize(const char* text, size_t len) {
  std::string out;
  out.reserve(len);
  const unsigned char* s = (const unsigned char*)text;
  for (size_t i = 0; i < len;) {
    uint32_t cp;
    i += (size_t)WDL_Utf8Decode(s + i, len - i, &cp);
    WDL_Utf8Append(&out, cp);
  }
  return out;
}
