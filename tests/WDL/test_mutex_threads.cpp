#include "WDL/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST(MutexDeathTest, RecursiveAcrossTwoThreadsUnmatchedLeaveStops) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  WDL_Mutex m;
  m.Enter();
  m.Enter(); // same thread: returns at once
  std::atomic<bool> got{false};
  std::thread other([&] {
    WDL_MutexLock lock(&m);
    got = true;
  });
  // The waiting thread is counted before it has the lock.
  while (m.GetDebugCount() != 3) std::this_thread::yield();
  m.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(got); // one level still held
  m.Leave();
  other.join();
  EXPECT_TRUE(got);
  EXPECT_EQ(m.GetDebugCount(), 0);
  WDL_MutexLock none(nullptr);
  volatile int32_t v = 0;
  EXPECT_EQ(wdl_atomic_decr(&v), -1);
  EXPECT_EQ(wdl_atomic_incr(&v), 0);
  EXPECT_DEATH(m.Leave(), "new_debug_cnt >= 0");
}
