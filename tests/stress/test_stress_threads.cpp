// The real bundle through a long random session while a second thread renders.
#include <gtest/gtest.h>

#include "stress_alloc.h"

TEST(StressThreads, ARandomSessionWhileASecondThreadRendersKeepsEveryInvariant) {
  stress::RunSession(true);
}
