#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(Log, CharacterHelpers) {
  for (int c = CHAR_MIN; c <= CHAR_MAX; ++c)
    EXPECT_EQ(IsWhitespace((char)c), c == ' ' || c == '\t' || c == '\n' || c == '\r') << c;

  // Bytes above 127 are negative chars; they must pass through unchanged.
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"Logic PRO 9", "logic pro 9"}, {"a-Z_0!\xC4\xFF", "a-z_0!\xC4\xFF"}};
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
  volatile unsigned spin = 0;
  for (const clock_t start = clock(); clock() == start;) spin = spin + 1;
  EXPECT_TRUE(t.Every(0));
}

TEST(Log, CurrentTimeOffsetAcrossZonesAndYearEnd) {
  const char* oldTz = getenv("TZ");
  const std::string saved = oldTz ? oldTz : "";
  const struct {
    const char* tz; // POSIX form: the number is west of UTC
    time_t when;
    const char* want;
  } cases[] = {
      {"UTC0", 1765801680, "20251215 12:28 +0000"},
      {"<+0530>-5:30", 1765801680, "20251215 17:58 +0530"},
      {"<-0330>3:30", 1765801680, "20251215 08:58 -0330"},
      {"<+14>-14", 1765801680, "20251216 02:28 +1400"},
      {"<-01>1", 1767227400, "20251231 23:30 -0100"},  // UTC already in 2026
      {"<+01>-1", 1767223800, "20260101 00:30 +0100"}, // UTC still in 2025
  };
  for (const auto& c : cases) {
    setenv("TZ", c.tz, 1);
    EXPECT_STREQ(CurrentTime(c.when), c.want) << c.tz;
  }
  if (oldTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  EXPECT_EQ(strlen(CurrentTime()), 20u);
}

TEST(Log, BuildStamps) {
  const struct {
    const char *date, *time, *want;
  } cases[] = {{"Dec 15 2026", "12:34:56", "[Dec15 12:34]"},
               {"Dec  5 2026", "12:34:56", "[Dec 5 12:34]"},
               {"Dec 1", "", "[Dec1 ]"},
               {"", "1:2", "[ 1:2]"}};
  for (const auto& c : cases) {
    WDL_String out("leftover text");
    CompileTimestamp(c.date, c.time, &out);
    EXPECT_STREQ(out.Get(), c.want) << c.date;
  }
  EXPECT_STREQ(AppendTimestamp("Dec 15 2026", "12:34:56", "abc"), "abc [Dec15 12:34]");
  EXPECT_STREQ(AppendTimestamp("Jan  1 2027", "00:00:00", "v1"), "v1 [Jan 1 00:00]");
}

} // namespace
