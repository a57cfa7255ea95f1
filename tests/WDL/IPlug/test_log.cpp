#include "WDL/IPlug/Log.h"

#include "WDL/wdlstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(Log, CharacterHelpersAndTimer) {
  for (int c = CHAR_MIN; c <= CHAR_MAX; ++c)
    EXPECT_EQ(IsWhitespace((char)c), c == ' ' || c == '\t' || c == '\n' || c == '\r') << c;
  // Bytes above 127 are negative chars; they must pass through unchanged.
  char out[16];
  memset(out, '#', sizeof(out));
  ToLower(out, "a-Z_0!\xC4\xFF");
  EXPECT_STREQ(out, "a-z_0!\xC4\xFF");
  ToLower(out, "");
  EXPECT_STREQ(out + 1, "-z_0!\xC4\xFF");

  Timer t;
  EXPECT_FALSE(t.Every(1e9));
  volatile unsigned spin = 0;
  for (const clock_t start = clock(); clock() == start;) spin = spin + 1;
  EXPECT_TRUE(t.Every(0));
}

TEST(Log, CurrentTimeOffsetAcrossZonesAndYearEnd) {
  const char* oldTz = getenv("TZ");
  const std::string saved = oldTz ? oldTz : "";
  const std::pair<const char*, time_t> cases[] = {
      {"UTC0", 1765801680},     {"<+0530>-5:30", 1765801680}, {"<-0330>3:30", 1765801680},
      {"<+14>-14", 1765801680}, {"<-01>1", 1767227400}, // UTC already in 2026
      {"<+01>-1", 1767223800}};                         // UTC still in 2025
  const char* want[] = {"20251215 12:28 +0000", "20251215 17:58 +0530", "20251215 08:58 -0330",
                        "20251216 02:28 +1400", "20251231 23:30 -0100", "20260101 00:30 +0100"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    setenv("TZ", cases[i].first, 1); // POSIX form: the number is west of UTC
    EXPECT_STREQ(CurrentTime(cases[i].second), want[i]) << cases[i].first;
  }
  oldTz ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  EXPECT_EQ(strlen(CurrentTime()), 20u);
}

TEST(Log, BuildStamps) {
  const char* cases[][3] = {{"Dec 15 2026", "12:34:56", "[Dec15 12:34]"},
                            {"Dec  5 2026", "12:34:56", "[Dec 5 12:34]"},
                            {"Dec 1", "", "[Dec1 ]"},
                            {"", "1:2", "[ 1:2]"}};
  for (const auto& c : cases) {
    WDL_String out("leftover text");
    CompileTimestamp(c[0], c[1], &out);
    EXPECT_STREQ(out.Get(), c[2]) << c[0];
  }
  EXPECT_STREQ(AppendTimestamp("Dec 15 2026", "12:34:56", "abc"), "abc [Dec15 12:34]");
  EXPECT_STREQ(AppendTimestamp("Jan  1 2027", "00:00:00", "v1"), "v1 [Jan 1 00:00]");
}

} // namespace
