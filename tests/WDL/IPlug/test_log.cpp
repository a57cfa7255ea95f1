#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
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
