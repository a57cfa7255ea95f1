// The project's one UTF-8 rule at each of its bounds: shortest forms, the surrogates, the end
// of the code space, a count that cuts a sequence, and text made well-formed from any bytes.
#include "WDL/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Rule, EachBoundDecidesWellFormed) {
  struct Row {
    const char* bytes;
    size_t len;
    uint32_t cp;
    int used;
    bool ok;
  };
  const Row rows[] = {
      {"\x7F", 1, 0x7F, 1, true},
      {"\xC1\xBF", 2, 0xC1, 1, false}, // U+007F in two bytes: overlong
      {"\xC2\x80", 2, 0x80, 2, true},
      {"\xDF\xBF", 2, 0x7FF, 2, true},
      {"\xE0\x9F\xBF", 3, 0xE0, 1, false}, // U+07FF in three bytes
      {"\xE0\xA0\x80", 3, 0x800, 3, true},
      {"\xED\x9F\xBF", 3, 0xD7FF, 3, true},
      {"\xED\xA0\x80", 3, 0xED, 1, false}, // the first surrogate
      {"\xED\xBF\xBF", 3, 0xED, 1, false}, // the last
      {"\xEE\x80\x80", 3, 0xE000, 3, true},
      {"\xEF\xBF\xBF", 3, 0xFFFF, 3, true},
      {"\xF0\x8F\xBF\xBF", 4, 0xF0, 1, false}, // U+FFFF in four bytes
      {"\xF0\x90\x80\x80", 4, 0x10000, 4, true},
      {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF, 4, true},
      {"\xF4\x90\x80\x80", 4, 0xF4, 1, false}, // past the code space
      {"\xF5\x80\x80\x80", 4, 0xF5, 1, false},
      {"\xE9", 1, 0xE9, 1, false},
      {"\xE2\x82\xAC", 2, 0xE2, 1, false}, // the length cuts the sequence
      {"\xE2\x82\xAC", 3, 0x20AC, 3, true},
      {"\xE2\x82z", 3, 0xE2, 1, false},
  };
  for (const Row& r : rows) {
    uint32_t cp = 0;
    bool ok = !r.ok;
    EXPECT_EQ(WDL_Utf8Decode((const unsigned char*)r.bytes, r.len, &cp, &ok), r.used) << r.bytes;
    EXPECT_EQ(cp, r.cp) << r.bytes;
    EXPECT_EQ(ok, r.ok) << r.bytes;
    EXPECT_EQ(WDL_Utf8IsValid(r.bytes, r.len), r.ok) << r.bytes;
  }
}

TEST(Utf8Rule, SanitizedTextIsWellFormedAndKeepsUtf8AsItIs) {
  const std::string utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5";
  EXPECT_EQ(WDL_Utf8Sanitize(utf8.data(), utf8.size()), utf8);
  const std::string bad = "\xE9\xED\xA0\x80\xC0";
  const std::string fixed = WDL_Utf8Sanitize(bad.data(), bad.size());
  EXPECT_EQ(fixed, "\xC3\xA9\xC3\xAD\xC2\xA0\xC2\x80\xC3\x80");
  EXPECT_TRUE(WDL_Utf8IsValid(fixed.data(), fixed.size()));
  std::string out;
  for (uint32_t cp : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu})
    WDL_Utf8Append(&out, cp);
  EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

} // namespace
