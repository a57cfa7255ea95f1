// The real bundle through a long random session on one thread (seed and length: see
// stress_session.h).
#include <gtest/gtest.h>

#include "stress_alloc.h"

TEST(Stress, ALongRandomSessionKeepsEveryInvariant) {
  stress::RunSession(false);
}
