// The font-name cache under threads: answers from the cache (hits) are read under its lock
// while other threads add names, so the race detector and the answers stay clean.
#include "WDL/swell/swell-gdi-text.h"

#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(CFStringRef s) {
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "";
}

TEST(FontNameCacheThreads, HitsWhileOtherThreadsAddNames) {
  // Unknown faces are kept under their own name, so every answer is known in advance.
  ASSERT_EQ(Text(SWELL_GetCachedFontName("Hit Face")), "Hit Face");
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t)
    readers.emplace_back([&] {
      while (!stop)
        if (Text(SWELL_GetCachedFontName("Hit Face")) != "Hit Face") ++wrong;
    });
  std::thread adder([&] {
    for (int i = 0; i < 400; ++i) {
      const std::string name = "Added Face " + std::to_string(i);
      if (Text(SWELL_GetCachedFontName(name.c_str())) != name) ++wrong;
    }
    stop = true;
  });
  adder.join();
  for (auto& r : readers) r.join();
  EXPECT_EQ(wrong, 0);
}

} // namespace
