// bench-links: testsupport
// Peak memory of the host program's session as its play grows: 2, 8 and 32 bars of 16-frame
// blocks at 1 bpm (661,500 blocks a bar), beside the default session (4 bars of 512-frame
// blocks at 120 bpm) as the peer. Each run is a process of its own; its peak resident memory
// comes from the kernel. A session that keeps nothing per block stays flat however long it plays.

#include "bench_util.h"
#include "testsupport/programs.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kProgram = std::string(QV_BINARY_DIR) + "/host/auhost";

// Peak resident memory of one run of the program, in megabytes; -1 when it failed.
double PeakMegabytes(std::vector<std::string> args) {
  char tmpl[] = "/tmp/quorlen-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return -1;
  const std::string out = std::string(tmpl) + "/out";
  args.insert(args.begin(), kProgram);
  args.insert(args.end(), {"--out", out});
  const pid_t pid = qv_test::StartProgram(args, nullptr, stderr);
  int status = 0;
  struct rusage use {};
  const bool ok = wait4(pid, &status, 0, &use) == pid && WIFEXITED(status) && !WEXITSTATUS(status);
  const std::string rm = "rm -rf '" + std::string(tmpl) + "'";
  if (system(rm.c_str()) != 0) return -1;
  return ok ? use.ru_maxrss / 1024.0 : -1;
}

void Session(benchmark::State& state, std::vector<std::string> args) {
  double peak = 0;
  for (auto _ : state) peak = PeakMegabytes(args);
  if (peak < 0) state.SkipWithError("the session failed");
  state.counters["peak_MB"] = peak;
}

std::vector<std::string> LongPlay(int bars) {
  return {"--tempo", "1", "--block-size", "16", "--play-bars", std::to_string(bars)};
}

} // namespace

int main(int argc, char** argv) {
  for (const char* bars : {"", "2", "8", "32"})
    benchmark::RegisterBenchmark(*bars ? (std::string("Session/bars_") + bars).c_str()
                                       : "Session/default_session",
                                 Session, *bars ? LongPlay(atoi(bars)) : std::vector<std::string>{})
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  return bench::RunWithSummary(argc, argv, [](const bench::Results& res) {
    const std::string peer = "Session/default_session/iterations:1/real_time";
    const std::vector<double>& base = res.Counter(peer, "peak_MB");
    bench::PrintSpread("peak MB, default session", bench::SpreadOf(base));
    printf("--tempo 1 --block-size 16; median (lowest-highest) over the repetitions\n");
    for (const char* bars : {"2", "8", "32"}) {
      const std::string name = std::string("Session/bars_") + bars + "/iterations:1/real_time";
      const std::vector<double>& peak = res.Counter(name, "peak_MB");
      std::vector<double> ratio;
      for (size_t i = 0; i < peak.size() && i < base.size(); ++i)
        if (base[i] > 0) ratio.push_back(peak[i] / base[i]);
      const std::string what = std::string("--play-bars ") + bars;
      bench::PrintSpread((what + ": peak MB").c_str(), bench::SpreadOf(peak));
      bench::PrintSpread((what + ": / the default session's").c_str(), bench::SpreadOf(ratio));
    }
  });
}
