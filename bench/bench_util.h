// Shared by the benchmarks that run beside a peer library: the console report, then a
// summary (ratios of named runs) printed once every run is done.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// What the plain (non-aggregate) runs measured, by the names benchmark reports them under.
class Results {
public:
  // Real time per iteration in nanoseconds, 0 for a run that did not happen.
  double Ns(const std::string& name) const { return Find(ns_, name); }
  // The items_per_second counter, 0 when the run has none.
  double Rate(const std::string& name) const { return Find(rate_, name); }

  void Add(const benchmark::BenchmarkReporter::Run& r) {
    const std::string name = r.benchmark_name();
    ns_[name] = r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
    auto it = r.counters.find("items_per_second");
    if (it != r.counters.end()) rate_[name] = it->second;
  }

private:
  static double Find(const std::map<std::string, double>& m, const std::string& k) {
    auto it = m.find(k);
    return it == m.end() ? 0 : it->second;
  }
  std::map<std::string, double> ns_, rate_;
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
  explicit SummaryReporter(std::function<void(const Results&)> summary)
      : summary_(std::move(summary)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) results_.Add(r);
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    printf("\n");
    summary_(results_);
  }

private:
  std::function<void(const Results&)> summary_;
  Results results_;
};

// The whole main of a benchmark with a summary.
inline int RunWithSummary(int argc, char** argv, std::function<void(const Results&)> summary) {
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter(std::move(summary));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// One summary line: rate of run a divided by rate of run b.
struct Ratio {
  const char* what;
  std::string a, b;
};

inline int RunWithRatios(int argc, char** argv, const char* heading, std::vector<Ratio> ratios) {
  return RunWithSummary(argc, argv, [heading, ratios](const Results& res) {
    printf("%s\n", heading);
    for (const Ratio& q : ratios) {
      const double x = res.Rate(q.a), y = res.Rate(q.b);
      if (x > 0 && y > 0)
        printf("%-40s %6.2f  (%s / %s)\n", q.what, x / y, q.a.c_str(), q.b.c_str());
    }
  });
}

} // namespace bench
