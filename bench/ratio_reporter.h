// A console reporter that also prints, after all benchmarks ran, the ratio of each
// measured benchmark's CPU time to its baseline's from the same run (the median when
// repetitions were asked for). Header only; used by the benchmark mains.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Pairs of (benchmark, baseline) names as registered, with "/argument" when they have one.
  explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs) : pairs_(std::move(pairs)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name =
          run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      if (run.run_type == Run::RT_Iteration && medians_.count(name) != 0) continue;
      cpu_[name] = run.GetAdjustedCPUTime();
      unit_[name] = benchmark::GetTimeUnitString(run.time_unit);
      if (run.run_type == Run::RT_Aggregate) medians_[name] = true;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [measured, baseline] : pairs_) {
      if (cpu_.count(measured) == 0 || cpu_.count(baseline) == 0 || cpu_[baseline] <= 0) continue;
      std::printf("ratio %s / %s = %.2f (CPU %.3f %s / %.3f %s)\n", measured.c_str(), baseline.c_str(),
                  cpu_[measured] / cpu_[baseline], cpu_[measured], unit_[measured].c_str(), cpu_[baseline],
                  unit_[baseline].c_str());
    }
    std::fflush(stdout);
  }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::map<std::string, double> cpu_;
  std::map<std::string, std::string> unit_;
  std::map<std::string, bool> medians_;
};

// Runs the registered benchmarks with a RatioReporter for `pairs`.
inline void RunWithRatios(int argc, char** argv, std::vector<std::pair<std::string, std::string>> pairs) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}

}  // namespace bench
