#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

TEST(Log, CharacterHelpersAndBuildStamps) {
  for (int c = CHAR_MIN; c <= CHAR_MAX; ++c)
    EXPECT_EQ(IsWhitespace((char)c), c == ' ' || c == '\t' || c == '\n' || c == '\r') << c;
  // Bytes above 127 are negative chars; they must pass through unchanged.
  char out[16];
  memset(out, '#', sizeof(out));
  ToLower(out, "a-Z_0!\xC4\xFF");
  EXPECT_STREQ(out, "a-z_0!\xC4\xFF");
  ToLower(out, "");
  EXPECT_STREQ(out + 1, "-z_0!\xC4\xFF");

  const char* cases[][3] = {{"Dec 15 2026", "12:34:56", "[Dec15 12:34]"},
                            {"Dec  5 2026", "12:34:56", "[Dec 5 12:34]"},
                            {"Dec 1", "", "[Dec1 ]"},
                            {"", "1:2", "[ 1:2]"}};
  for (const auto& c : cases) {
    WDL_String stamp("leftover text");
    CompileTimestamp(c[0], c[1], &stamp);
    EXPECT_STREQ(stamp.Get(), c[2]) << c[0];
  }
  EXPECT_STREQ(AppendTimestamp("Dec 15 2026", "12:34:56", "abc"), "abc [Dec15 12:34]");
}

TEST(Log, CurrentTimeOffsetAcrossZonesAndYearEnd) {
  // POSIX zones: the number is west of UTC. The last two cross the year in either direction.
  const char* cases[][3] = {{"<+0530>-5:30", "1765801680", "20251215 17:58 +0530"},
                            {"<-01>1", "1767227400", "20251231 23:30 -0100"},
                            {"<+01>-1", "1767223800", "20260101 00:30 +0100"}};
  const char* outer = std::getenv("TZ");
  const std::string before = outer ? outer : "(unset)";
  {
    ScopedEnv tz("TZ", nullptr);
    for (const auto& c : cases) {
      tz.Set(c[0]);
      EXPECT_STREQ(CurrentTime(std::atoll(c[1])), c[2]) << c[0];
    }
  }
  const char* after = std::getenv("TZ"); // the zone the process had is back
  EXPECT_EQ(after ? after : "(unset)", before);
  EXPECT_EQ(strlen(CurrentTime()), 20u);
}

TEST(Log, CurrentTimeAtUtcAndADayAwayOnEitherSide) {
  // UTC itself is "+0000"; a zone a day ahead or behind within a year, one whose offset has
  // minutes, and the year's end after a leap day (day 365 against day 0).
  const char* cases[][3] = {{"UTC0", "1765801680", "20251215 12:28 +0000"},
                            {"UTC0", "1767225600", "20260101 00:00 +0000"},
                            {"<+10>-10", "1781553600", "20260616 06:00 +1000"},
                            {"<-08>8", "1781578800", "20260615 19:00 -0800"},
                            {"<-0330>3:30", "1772326800", "20260228 21:30 -0330"},
                            {"<+14>-14", "1767261600", "20260102 00:00 +1400"},
                            {"<-01>1", "1735691400", "20241231 23:30 -0100"},
                            {"<+01>-1", "1735687800", "20250101 00:30 +0100"}};
  const char* outer = std::getenv("TZ");
  const std::string before = outer ? outer : "(unset)";
  {
    ScopedEnv tz("TZ", nullptr);
    for (const auto& c : cases) {
      tz.Set(c[0]);
      tzset();
      EXPECT_STREQ(CurrentTime(std::atoll(c[1])), c[2]) << c[0];
    }
  }
  tzset(); // the process's own zone again for every later conversion
  const char* after = std::getenv("TZ");
  EXPECT_EQ(after ? after : "(unset)", before);
}
