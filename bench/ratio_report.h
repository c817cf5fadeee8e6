// Shared by the benchmark programs: interleaved timing of our code against a
// baseline, and the one-line ratio report that `make bench` collects.
#pragma once

#include <functional>
#include <string_view>

namespace bench {

struct PairedTiming {
  double ours_ns;      // median time of one call of our code
  double baseline_ns;  // median time of one call of the baseline
  double Ratio() const { return ours_ns / baseline_ns; }
};

// Runs `ours` and `baseline` alternately in blocks of `calls_per_block` calls,
// `blocks` times each, and returns the median per-call time of each. Alternating
// keeps both sides exposed to the same machine noise.
PairedTiming TimePaired(const std::function<void()>& ours, const std::function<void()>& baseline,
                        int blocks = 15, int calls_per_block = 5);

// Prints "ratio NAME VALUE target MAX"; a negative target prints "target none".
void ReportRatio(std::string_view name, double value, double target);

}  // namespace bench
