// The count kept by counting_new.h's operator new: calls a thread makes while its flag is up.
// Code that drives a real-time path sets the flag around it and compares the count.
#pragma once

#include <atomic>

namespace qv_test {
inline std::atomic<long> gNews{0};
inline thread_local bool tCounting = false;
} // namespace qv_test
