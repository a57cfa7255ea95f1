#pragma once
// The one lock type: a recursive mutex, a scoped lock, and the atomic counters behind
// the mutex's count of unmatched Enter calls. Any thread may call these.

#include <cassert>
#include <cstdint>
#include <pthread.h>

// Atomic, sequentially consistent; return the value after the change.
inline int32_t wdl_atomic_incr(volatile int32_t* v) {
  return __atomic_add_fetch(v, 1, __ATOMIC_SEQ_CST);
}
inline int32_t wdl_atomic_decr(volatile int32_t* v) {
  return __atomic_sub_fetch(v, 1, __ATOMIC_SEQ_CST);
}

class WDL_Mutex {
public:
  WDL_Mutex() {
#ifndef PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
#endif
  }
  // Must not be held by any thread.
  ~WDL_Mutex() {
    pthread_mutex_destroy(&m_mutex);
  }
  WDL_Mutex(const WDL_Mutex&) = delete;
  WDL_Mutex& operator=(const WDL_Mutex&) = delete;

  // Blocks while another thread holds the mutex; the holder may enter again.
  void Enter() {
    // Counted before locking, so a waiting thread is already included.
    const int32_t new_debug_cnt = wdl_atomic_incr(&m_debugCnt);
    assert(new_debug_cnt > 0);
    (void)new_debug_cnt;
    pthread_mutex_lock(&m_mutex);
  }
  // Gives up one level taken by the calling thread.
  void Leave() {
    const int32_t new_debug_cnt = wdl_atomic_decr(&m_debugCnt);
    assert(new_debug_cnt >= 0);
    (void)new_debug_cnt;
    pthread_mutex_unlock(&m_mutex);
  }

  // Enter calls not yet matched by Leave, over all threads, waiting ones included.
  int32_t GetDebugCount() const {
    return __atomic_load_n(&m_debugCnt, __ATOMIC_SEQ_CST);
  }

private:
  volatile int32_t m_debugCnt = 0;
#ifdef PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP
  pthread_mutex_t m_mutex = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
#else
  pthread_mutex_t m_mutex;
#endif
};

// Holds a mutex (or nothing, when given null) for the lifetime of a scope.
class WDL_MutexLock {
public:
  explicit WDL_MutexLock(WDL_Mutex* m) : m_mutex(m) {
    if (m_mutex) m_mutex->Enter();
  }
  ~WDL_MutexLock() {
    if (m_mutex) m_mutex->Leave();
  }
  WDL_MutexLock(const WDL_MutexLock&) = delete;
  WDL_MutexLock& operator=(const WDL_MutexLock&) = delete;

private:
  WDL_Mutex* m_mutex;
};
