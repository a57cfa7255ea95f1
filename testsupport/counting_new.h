// A program's operator new that counts the calls a thread makes while qv_test::tCounting is
// up (alloc_count.h), to hold the real-time path to "no allocation". Include it in exactly one
// source file of a program. QV_TRACE_ALLOC=1 in the environment prints each counted call's
// stack. Under the sanitizers it defines nothing and QV_COUNTS_ALLOCATIONS stays undefined:
// their runtimes allocate through operator new and report what they keep as leaks.
#pragma once

#include "testsupport/alloc_count.h"

#include <cstdlib>
#include <execinfo.h>
#include <new>

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define QV_COUNTS_ALLOCATIONS 1

// The replacement pairs malloc with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace qv_test {
inline void* CountedAlloc(size_t n) {
  if (tCounting) {
    ++gNews;
    if (getenv("QV_TRACE_ALLOC")) {
      void* frames[16];
      backtrace_symbols_fd(frames, backtrace(frames, 16), 2);
    }
  }
  return malloc(n ? n : 1);
}
} // namespace qv_test

// Every form, so that no allocation made by one runtime is freed by another.
void* operator new(size_t n) {
  if (void* p = qv_test::CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) {
  if (void* p = qv_test::CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  return qv_test::CountedAlloc(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  return qv_test::CountedAlloc(n);
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
