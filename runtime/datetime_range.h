// The range of DateTime values: days since 1899-12-30, years 100 to 9999.
#pragma once

#include <cmath>

namespace rt {

inline constexpr double kMinDateTime = -657434.0;
inline constexpr double kMaxDateTime = 2958465.0;

// Dates read from byte sets or turned into text are first brought into range;
// NaN, which has no date at all, becomes day 0.
inline double ClampDateTime(double value) {
  if (std::isnan(value)) return 0.0;
  if (value < kMinDateTime) return kMinDateTime;
  if (value > kMaxDateTime) return kMaxDateTime;
  return value;
}

}  // namespace rt
