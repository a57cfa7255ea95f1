#include "WDL/wdlstring.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

TEST(WDLString, EditsAndBoundaries) {
  // op S: Set(text, n); A: Append(text, n); D: DeleteSub(n, length of text).
  const std::tuple<const char*, char, const char*, int, const char*> cases[] = {
      {"", 'S', "abcdef", 3, "abc"},     {"", 'S', "abcdef", 0, "abcdef"},
      {"", 'S', "abcdef", -5, "abcdef"}, {"long", 'S', nullptr, 0, ""},
      {"abc", 'A', "xyz", 2, "abcxy"},   {nullptr, 'A', nullptr, 0, ""},
      {"abcdef", 'D', "..", 1, "adef"},  {"abcdef", 'D', "..........", 4, "abcd"},
      {"abcdef", 'D', ".", 6, "abcdef"}, {"abcdef", 'D', ".", -1, "abcdef"}};
  for (const auto& [start, op, text, n, want] : cases) {
    WDL_String s(start);
    op == 'S' ? s.Set(text, n) : op == 'A' ? s.Append(text, n) : s.DeleteSub(n, strlen(text));
    EXPECT_STREQ(s.Get(), want) << start << " " << op << " " << n;
  }
  WDL_String s("0123456789");
  EXPECT_TRUE(s.SetLen(7)); // growing writes no text
  EXPECT_TRUE(s.SetLen(50));
  s.DeleteSub(2, -4);
  EXPECT_STREQ(s.Get(), "0123456");
  s.DeleteSub(1, INT32_MAX);
  EXPECT_FALSE(s.SetLen(INT32_MAX));
  EXPECT_STREQ(s.Get(), "0");
  EXPECT_TRUE(s.SetLen(-3));
  EXPECT_STREQ(s.Get(), "");
}

TEST(WDLString, OwnTextSurvivesBlockMoves) {
  // Every growth moves the block: reallocation fails, a fresh block is taken.
  const WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  WDL_String s("abc");
  std::string want = "abc";
  for (int i = 0; i < 8; ++i, want += want) s.Append(s.Get());
  EXPECT_EQ(s.Get(), want);
  s.Set(s.Get() + 760);
  EXPECT_EQ(s.Get(), want.substr(760));
  // Text lying past the used part, in the block's stale bytes.
  WDL_String t(std::string(100, 'x').c_str());
  t.Set("ab");
  t.__doSet(300, t.Get() + 10, 5, 0);
  g_wdl_heapbuf_allocator = saved;
  EXPECT_EQ(std::string(t.Get() + 300), "xxxxx");
}

void AppendFormatted(WDL_String* s, int max, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  s->SetAppendFormattedArgs(true, max, fmt, args);
  va_end(args);
}

TEST(WDLString, FormattingLimitsAndErrors) {
  WDL_String s("old");
  s.SetFormatted(5, "%s:%i", "0123456789", 4);
  // A negative maximum or a formatter error: appending keeps the old text, setting empties.
  const wchar_t bad[] = {wchar_t(0xe9), 0}; // not representable in the C locale
  AppendFormatted(&s, -3, "%d", 1);
  AppendFormatted(&s, 16, "%ls", bad);
  AppendFormatted(&s, 3, "%d", 12345);
  EXPECT_STREQ(s.Get(), "01234123");
  s.SetFormatted(16, "%ls", bad);
  EXPECT_STREQ(s.Get(), "");
  s.Set("z");
  s.SetFormatted(-1, "%d", 5);
  EXPECT_STREQ(s.Get(), "");
}

TEST(WDLString, CutFormattingEmptyAppendAndKeptTail) {
  WDL_String s;
  s.SetFormatted(3, "%d", 12345);
  s.DeleteSub(2, 1); // the cut text's length is the used size
  EXPECT_STREQ(s.Get(), "12");
  s.Append("");
  EXPECT_STREQ(s.Get(), "12");
  WDL_String t("abcdef");
  t.__doSet(2, "XY", 2, 4);
  EXPECT_STREQ(t.Get(), "abXYcdef");
  WDL_String e;
  e.Get()[0] = 'x'; // the shared byte is zeroed again on each call
  EXPECT_STREQ(e.Get(), "");
}
