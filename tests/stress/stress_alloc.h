// The stress programs' operator new (it counts the calls a thread makes while its flag is up:
// render and MIDI in) and their one test body.
#pragma once

#include "stress_session.h"
#include "testsupport/counting_new.h"

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
