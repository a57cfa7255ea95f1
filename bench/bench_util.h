// Shared by the benchmarks that run beside a peer library: the console report, then a
// summary printed once every run is done. Each benchmark runs several repetitions (5 unless
// --benchmark_repetitions says otherwise); a ratio is the median of the per-repetition ratios,
// printed with their spread and the machine's load, so one run can be judged on its own.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace bench {

// The 1-minute load average, or -1 when it cannot be read.
inline double LoadAverage() {
  double l = -1;
  if (FILE* f = fopen("/proc/loadavg", "r")) {
    if (fscanf(f, "%lf", &l) != 1) l = -1;
    fclose(f);
  }
  return l;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A median with the smallest and largest value it came from.
struct Spread {
  double median = 0, lo = 0, hi = 0;
  int n = 0;
};
inline Spread SpreadOf(const std::vector<double>& v) {
  Spread s;
  if (v.empty()) return s;
  s.median = Median(v);
  s.lo = *std::min_element(v.begin(), v.end());
  s.hi = *std::max_element(v.begin(), v.end());
  s.n = (int)v.size();
  return s;
}

// What the plain (non-aggregate) runs measured, by the names benchmark reports them under,
// one value per repetition.
class Results {
public:
  // Median real time per iteration in nanoseconds, 0 for a run that did not happen.
  double Ns(const std::string& name) const { return Median(Find(ns_, name)); }
  // Median of the items_per_second counter, 0 when the run has none.
  double Rate(const std::string& name) const { return Median(Find(rate_, name)); }
  // Per-repetition ratio a / b of rates (or of times, for byTime: b / a), paired by repetition.
  Spread Ratio(const std::string& a, const std::string& b, bool byTime = false) const {
    const std::vector<double>&x = Find(byTime ? ns_ : rate_, a), &y = Find(byTime ? ns_ : rate_, b);
    std::vector<double> r;
    for (size_t i = 0; i < x.size() && i < y.size(); i++)
      if (x[i] > 0 && y[i] > 0) r.push_back(byTime ? y[i] / x[i] : x[i] / y[i]);
    return SpreadOf(r);
  }

  // Per-repetition values of a run's counter.
  const std::vector<double>& Counter(const std::string& name, const std::string& counter) const {
    static const Map none;
    auto it = counters_.find(counter);
    return Find(it == counters_.end() ? none : it->second, name);
  }

  void Add(const benchmark::BenchmarkReporter::Run& r) {
    const std::string name = r.run_name.str();
    ns_[name].push_back(r.GetAdjustedRealTime() * 1e9 /
                        benchmark::GetTimeUnitMultiplier(r.time_unit));
    auto it = r.counters.find("items_per_second");
    if (it != r.counters.end()) rate_[name].push_back(it->second);
    for (const auto& [counter, value] : r.counters) counters_[counter][name].push_back(value);
  }

private:
  typedef std::map<std::string, std::vector<double>> Map;
  static const std::vector<double>& Find(const Map& m, const std::string& k) {
    static const std::vector<double> none;
    auto it = m.find(k);
    return it == m.end() ? none : it->second;
  }
  Map ns_, rate_;
  std::map<std::string, Map> counters_;
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
  std::vector<char*> args(argv, argv + argc);
  bool reps = false;
  for (int i = 1; i < argc; i++) reps |= strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
  char defaultReps[] = "--benchmark_repetitions=5";
  if (!reps) args.push_back(defaultReps);
  int n = (int)args.size();
  const double load0 = LoadAverage();
  benchmark::Initialize(&n, args.data());
  SummaryReporter reporter([&](const Results& res) {
    printf("machine load (1-minute average): %.2f before, %.2f after, %u cores\n", load0,
           LoadAverage(), std::thread::hardware_concurrency());
    summary(res);
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

inline void PrintSpread(const char* what, const Spread& s, const char* note = "") {
  if (s.n) printf("%-44s %6.2f  (%.2f-%.2f over %d)%s\n", what, s.median, s.lo, s.hi, s.n, note);
}

// One summary line: rate of run a divided by rate of run b; note says how the two differ.
struct Ratio {
  const char* what;
  std::string a, b;
  const char* note = "";
};

inline int RunWithRatios(int argc, char** argv, const char* heading, std::vector<Ratio> ratios,
                         std::function<void()> pictures = nullptr) {
  return RunWithSummary(argc, argv, [heading, ratios, pictures](const Results& res) {
    if (pictures) pictures();
    printf("%s; median (lowest-highest) of the per-repetition ratios\n", heading);
    for (const Ratio& q : ratios) PrintSpread(q.what, res.Ratio(q.a, q.b), q.note);
  });
}

// Largest difference of one 8-bit channel between two pictures of 32-bit pixels (spans in
// pixels); mask picks the channels compared. Used once, outside the timing, to show that the
// two sides of a pair drew the same picture.
inline int MaxChannelDiff(const unsigned* a, int aspan, const unsigned* b, int bspan, int x0,
                          int y0, int x1, int y1, unsigned mask = 0xFFFFFFFF) {
  int worst = 0;
  for (int y = y0; y < y1; y++)
    for (int x = x0; x < x1; x++) {
      const unsigned p = a[y * aspan + x] & mask, q = b[y * bspan + x] & mask;
      for (int s = 0; s < 32; s += 8)
        worst = std::max(worst, std::abs((int)((p >> s) & 255) - (int)((q >> s) & 255)));
    }
  return worst;
}

} // namespace bench
