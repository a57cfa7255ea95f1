// The OS version is read once, whichever thread asks first.

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "WDL/IPlug/IGraphicsMac.h"

TEST(MacOSVersionThreads, EveryThreadGetsTheSameNumber) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] {
      for (int k = 0; k < 100; ++k) wrong += IGraphicsMac::GetUserOSVersion() != 0x10121;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}
