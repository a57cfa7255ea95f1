// The stress programs' operator new: counts the calls a thread makes while its flag is up
// (render and MIDI in), to find allocation on the real-time path.
#pragma once

#include "stress_session.h"

#include <cstdlib>
#include <execinfo.h>
#include <new>

// The replacement pairs malloc with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace stress {
std::atomic<long> gRenderNews{0};
thread_local bool tCounting = false;
} // namespace stress

namespace stress {
inline void* CountedAlloc(size_t n) {
  if (tCounting) {
    ++gRenderNews;
    if (getenv("QV_STRESS_TRACE_ALLOC")) {
      void* frames[16];
      backtrace_symbols_fd(frames, backtrace(frames, 16), 2);
    }
  }
  return malloc(n ? n : 1);
}
} // namespace stress

// Every form, so that no allocation made by one runtime is freed by another. Not under the
// sanitizers: their runtimes allocate through it and report what they keep as leaks, so the
// allocation check only runs in the normal build.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
void* operator new(size_t n) {
  if (void* p = stress::CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) {
  if (void* p = stress::CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  return stress::CountedAlloc(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  return stress::CountedAlloc(n);
}
void operator delete(void* p) noexcept {
  free(p);
}
void operator delete(void* p, size_t) noexcept {
  free(p);
}
void operator delete[](void* p) noexcept {
  free(p);
}
void operator delete[](void* p, size_t) noexcept {
  free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  free(p);
}
#endif

namespace stress {

// Runs a session at the seed and length the environment or the build chose and prints the
// seed and the report.
inline void RunSession(bool threaded) {
  const uint32_t seed = (uint32_t)EnvLong("QV_STRESS_SEED", 18);
  const long calls = EnvLong("QV_STRESS_CALLS", QV_STRESS_CALLS);
  printf("stress seed %u, %ld calls%s (replay: QV_STRESS_SEED=%u QV_STRESS_CALLS=%ld)\n", seed,
         calls, threaded ? ", render on a second thread" : "", seed, calls);
  fflush(stdout);
  Session s(std::string(QV_BINARY_DIR) + "/Quorlen-VUDE.component", seed, calls, threaded);
  const bool ok = s.Run();
  printf("%s", s.GetReport().Text().c_str());
  for (const std::string& f : s.Failures()) ADD_FAILURE() << f;
  EXPECT_TRUE(ok);
}

} // namespace stress
