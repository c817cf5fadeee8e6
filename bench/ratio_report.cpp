#include "bench/ratio_report.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {
namespace {

double TimeBlock(const std::function<void()>& work, int calls) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) work();
  auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::nano>(elapsed).count() / calls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

PairedTiming TimePaired(const std::function<void()>& ours, const std::function<void()>& baseline,
                        int blocks, int calls_per_block) {
  // One untimed block each warms caches and the heap.
  TimeBlock(ours, calls_per_block);
  TimeBlock(baseline, calls_per_block);
  std::vector<double> ours_times, baseline_times;
  for (int i = 0; i < blocks; ++i) {
    ours_times.push_back(TimeBlock(ours, calls_per_block));
    baseline_times.push_back(TimeBlock(baseline, calls_per_block));
  }
  return {Median(ours_times), Median(baseline_times)};
}

void ReportRatio(std::string_view name, double value, double target) {
  std::string name_text(name);
  if (target < 0) {
    std::printf("ratio %s %.3f target none\n", name_text.c_str(), value);
  } else {
    std::printf("ratio %s %.3f target %g\n", name_text.c_str(), value, target);
  }
  std::fflush(stdout);
}

}  // namespace bench
