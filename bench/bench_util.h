// Shared by the benchmarks that run beside a peer library: the console report, followed by
// the ratios of the items-per-second rates of named pairs of runs.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace bench {

// One closing line: rate of run a divided by rate of run b (names as benchmark reports them).
struct Ratio {
  const char* what;
  std::string a, b;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
  RatioReporter(const char* heading, std::vector<Ratio> ratios)
      : heading_(heading), ratios_(std::move(ratios)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration) continue;
      auto it = r.counters.find("items_per_second");
      if (it != r.counters.end()) rate_[r.benchmark_name()] = it->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    printf("\n%s\n", heading_);
    for (const Ratio& q : ratios_) {
      const double x = rate_[q.a], y = rate_[q.b];
      if (x > 0 && y > 0)
        printf("%-40s %6.2f  (%s / %s)\n", q.what, x / y, q.a.c_str(), q.b.c_str());
    }
  }

private:
  const char* heading_;
  std::vector<Ratio> ratios_;
  std::map<std::string, double> rate_;
};

// The whole main of such a benchmark.
inline int RunWithRatios(int argc, char** argv, const char* heading, std::vector<Ratio> ratios) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(heading, std::move(ratios));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

} // namespace bench
