#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(Log, IsWhitespace) {
  for (int c = CHAR_MIN; c <= CHAR_MAX; ++c) {
    const bool want = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    EXPECT_EQ(IsWhitespace((char)c), want) << c;
  }
}

TEST(Log, ToLower) {
  const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                       {"Logic PRO 9", "logic pro 9"},
                                                       {"a-Z_0!", "a-z_0!"},
                                                       {"\xC4\xE9\xFF", "\xC4\xE9\xFF"}};
  for (const auto& c : cases) {
    char out[32];
    memset(out, '#', sizeof(out));
    ToLower(out, c.first);
    EXPECT_STREQ(out, c.second);
    EXPECT_EQ(out[strlen(c.first) + 1], '#');
  }
}

TEST(Log, TimerEvery) {
  Timer t;
  EXPECT_FALSE(t.Every(1e9));
  // Burn processor time until the mark has moved.
  volatile unsigned x = 0;
  const clock_t start = clock();
  while (clock() == start) x = x + 1;
  EXPECT_TRUE(t.Every(0));
}

class ZoneTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    mHadTz = tz != nullptr;
    if (tz) mOldTz = tz;
  }
  void TearDown() override {
    if (mHadTz)
      setenv("TZ", mOldTz.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  bool mHadTz = false;
  std::string mOldTz;
};

TEST_F(ZoneTest, CurrentTimeOffsets) {
  struct Case {
    const char* tz; // POSIX form: the offset is west of UTC
    time_t when;    // seconds since the epoch (UTC)
    const char* want;
  };
  const Case cases[] = {
      {"UTC0", 1765801680, "20251215 12:28 +0000"},
      {"<+0530>-5:30", 1765801680, "20251215 17:58 +0530"},
      {"<-0330>3:30", 1765801680, "20251215 08:58 -0330"},
      // 00:30 UTC on 1 January 2026 is 23:30 on 31 December one hour behind.
      {"<-01>1", 1767227400, "20251231 23:30 -0100"},
      // 23:30 UTC on 31 December 2025 is 00:30 on 1 January one hour ahead.
      {"<+01>-1", 1767223800, "20260101 00:30 +0100"},
      // Day boundary within a year.
      {"<+14>-14", 1765801680, "20251216 02:28 +1400"},
  };
  for (const Case& c : cases) {
    setenv("TZ", c.tz, 1);
    EXPECT_STREQ(CurrentTime(c.when), c.want) << c.tz;
  }
  EXPECT_EQ(strlen(CurrentTime()), 20u);
}

TEST(Log, CompileTimestamp) {
  const struct {
    const char* date;
    const char* time;
    const char* want;
  } cases[] = {
      {"Dec 15 2026", "12:34:56", "[Dec15 12:34]"},
      {"Dec  5 2026", "12:34:56", "[Dec 5 12:34]"},
      {"Dec", "1:2", "[Dec 1:2]"},
      {"", "", "[ ]"},
      {"Dec 1", "", "[Dec1 ]"},
  };
  for (const auto& c : cases) {
    WDL_String out("leftover text");
    CompileTimestamp(c.date, c.time, &out);
    EXPECT_STREQ(out.Get(), c.want) << c.date;
  }
}

TEST(Log, AppendTimestamp) {
  const char* first = AppendTimestamp("Dec 15 2026", "12:34:56", "abc");
  EXPECT_STREQ(first, "abc [Dec15 12:34]");
  EXPECT_STREQ(AppendTimestamp("Jan  1 2027", "00:00:00", "v1"), "v1 [Jan 1 00:00]");
}

TEST(Log, TracingIsOff) {
  Trace("fn", 1, "%d %s", 3, "x");
  for (int v : {0, -1, 1, 8, INT_MAX, INT_MIN}) {
    EXPECT_STREQ(VSTOpcodeStr(v), "");
    EXPECT_STREQ(AUSelectStr(v), "");
    EXPECT_STREQ(AUPropertyStr(v), "");
    EXPECT_STREQ(AUScopeStr(v), "");
  }
}

} // namespace
