#include "WDL/wdlstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Makes every block move on growth: reallocation fails, a fresh block is taken.
struct ForceMove {
  WDL_HeapBufAllocator saved = g_wdl_heapbuf_allocator;
  ForceMove() {
    g_wdl_heapbuf_allocator.realloc_fn = [](void*, size_t) -> void* { return nullptr; };
  }
  ~ForceMove() { g_wdl_heapbuf_allocator = saved; }
};

char* SharedEmpty() {
  WDL_String s;
  return s.Get();
}

TEST(WDLString, EmptyStringsShareOneEmptyText) {
  WDL_String a, b(nullptr);
  EXPECT_EQ(a.GetLength(), 0);
  EXPECT_STREQ(static_cast<const WDL_String&>(a).Get(), "");
  EXPECT_EQ(a.Get(), b.Get());
  EXPECT_EQ(*a.Get(), 0);
  // A copy of an empty string holds its own block.
  WDL_String c(a);
  EXPECT_NE(c.Get(), SharedEmpty());
  EXPECT_STREQ(c.Get(), "");
}

TEST(WDLString, SetAndAppendWithMaximum) {
  struct Case {
    const char* start;
    bool append;
    const char* text;
    int max;
    const char* want;
  } cases[] = {
      {"", false, "abcdef", 3, "abc"},     {"", false, "abcdef", 0, "abcdef"},
      {"", false, "abcdef", -5, "abcdef"}, {"long text", false, nullptr, 0, ""},
      {"long text", false, "", 0, ""},     {"abc", true, "xyz", 2, "abcxy"},
      {"abc", true, nullptr, 0, "abc"},    {"abc", true, "", 0, "abc"},
  };
  for (const Case& c : cases) {
    WDL_String s(c.start);
    if (c.append)
      s.Append(c.text, c.max);
    else
      s.Set(c.text, c.max);
    EXPECT_STREQ(s.Get(), c.want);
  }
  WDL_String fresh;
  fresh.Append(nullptr);
  EXPECT_NE(fresh.Get(), SharedEmpty()); // one zero byte in its own block
}

TEST(WDLString, OwnTextSurvivesBlockMoves) {
  ForceMove move;
  WDL_String s("abc");
  std::string want = "abc";
  for (int i = 0; i < 8; ++i) {
    s.Append(s.Get());
    want += want;
    ASSERT_STREQ(s.Get(), want.c_str());
  }
  s.Set(s.Get() + 760);
  EXPECT_STREQ(s.Get(), want.c_str() + 760);

  // Text lying past the used part, in the block's stale bytes.
  WDL_String t(std::string(100, 'x').c_str());
  t.Set("ab");
  t.__doSet(300, t.Get() + 10, 5, 0);
  EXPECT_EQ(std::string(t.Get() + 300, 5), "xxxxx");
  EXPECT_STREQ(t.Get(), "ab");
}

TEST(WDLString, FormattingLimits) {
  WDL_String s("old");
  s.SetFormatted(4, "%s", "0123456789");
  EXPECT_STREQ(s.Get(), "0123");
  s.SetFormatted(32, "x: %i, y: %i", 3, 4);
  EXPECT_STREQ(s.Get(), "x: 3, y: 4");
  EXPECT_EQ(s.GetLength(), 10);
  s.SetFormatted(-1, "%d", 5);
  EXPECT_STREQ(s.Get(), "");

  // Negative maximum or a formatter error: appending keeps the old text.
  const wchar_t bad[] = {wchar_t(0xe9), 0}; // not representable in the C locale
  WDL_String a("keep");
  auto append = [&a](int max, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    a.SetAppendFormattedArgs(true, max, fmt, args);
    va_end(args);
  };
  append(-3, "%d", 1);
  EXPECT_STREQ(a.Get(), "keep");
  append(16, "%ls", bad);
  EXPECT_STREQ(a.Get(), "keep");
  append(3, "%d", 12345);
  EXPECT_STREQ(a.Get(), "keep123");
  a.SetFormatted(16, "%ls", bad);
  EXPECT_STREQ(a.Get(), "");
}

TEST(WDLString, SetLen) {
  WDL_String s("0123456789");
  EXPECT_TRUE(s.SetLen(7));
  EXPECT_STREQ(s.Get(), "0123456");
  EXPECT_TRUE(s.SetLen(50));
  EXPECT_EQ(s.GetLength(), 7);
  EXPECT_TRUE(s.SetLen(-3));
  EXPECT_STREQ(s.Get(), "");
  EXPECT_NE(s.Get(), SharedEmpty());
  EXPECT_FALSE(s.SetLen(INT32_MAX));
  EXPECT_FALSE(s.SetLen(INT32_MAX - 1));
  EXPECT_STREQ(s.Get(), "");
}

TEST(WDLString, DeleteSubBounds) {
  struct Case {
    int pos, count;
    const char* want;
  } cases[] = {
      {1, 2, "adef"},    {4, 10, "abcd"},  {0, 6, ""},        {6, 1, "abcdef"},
      {-1, 1, "abcdef"}, {2, 0, "abcdef"}, {2, -4, "abcdef"}, {5, INT32_MAX, "abcde"},
  };
  for (const Case& c : cases) {
    WDL_String s("abcdef");
    s.DeleteSub(c.pos, c.count);
    EXPECT_STREQ(s.Get(), c.want) << c.pos << "," << c.count;
  }
  WDL_String empty;
  empty.DeleteSub(0, 1);
  EXPECT_STREQ(empty.Get(), "");
}

} // namespace
