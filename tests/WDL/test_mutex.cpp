#include "WDL/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(Mutex, RecursiveAcrossTwoThreads) {
  WDL_Mutex m;
  EXPECT_EQ(m.GetDebugCount(), 0);
  m.Enter();
  m.Enter(); // same thread: returns at once
  EXPECT_EQ(m.GetDebugCount(), 2);

  std::atomic<bool> got{false};
  std::thread other([&] {
    m.Enter();
    got = true;
    m.Leave();
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
}

TEST(Mutex, ScopedLock) {
  WDL_Mutex m;
  { WDL_MutexLock none(nullptr); }
  {
    WDL_MutexLock lock(&m);
    EXPECT_EQ(m.GetDebugCount(), 1);
  }
  EXPECT_EQ(m.GetDebugCount(), 0);
}

TEST(Mutex, AtomicCountersReturnNewValue) {
  volatile int32_t v = 5;
  EXPECT_EQ(wdl_atomic_incr(&v), 6);
  EXPECT_EQ(v, 6);
  v = 0;
  EXPECT_EQ(wdl_atomic_decr(&v), -1);
  EXPECT_EQ(v, -1);
}

TEST(MutexDeathTest, UnmatchedLeaveStops) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  WDL_Mutex m;
  EXPECT_DEATH(m.Leave(), "new_debug_cnt >= 0");
}

} // namespace
