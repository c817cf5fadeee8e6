// Trading calendar and hours of the Shanghai, Shenzhen and Beijing exchanges,
// in China Standard Time (UTC+8 all year): sessions 9:30-11:30 and 13:00-15:00
// on weekdays. Holidays are not modelled; every weekday trades.
#pragma once

#include <cstdint>
#include <optional>

namespace service {

// Four hours of trading a day.
constexpr int kSessionSeconds = 4 * 3600;
constexpr int kMorningSeconds = 2 * 3600;

// Where the market stands at one instant.
struct MarketMoment {
  int64_t trading_day = 0;  // weekdays counted from 1970, consecutive across weekends
  int session_second = 0;   // seconds of trading done that day, 0 to kSessionSeconds
  bool trading = false;     // inside a session at this instant
};

// Outside the sessions the market stands where the last session left it: at
// the lunch break at the morning's end, after the close (and before the next
// opening, and at weekends) at the end of the latest trading day.
MarketMoment MomentAt(int64_t epoch_seconds);

struct LocalDateTime {
  int year, month, day, hour, minute, second;
};

// The exchange's wall-clock time that a moment's quote stands for: the time
// itself during a session, 11:30:00 at lunch, 15:00:00 after the close.
LocalDateTime QuoteTime(const MarketMoment& moment);

// Wall-clock time of a session second ("09:30" at 0, "11:30" at the morning's
// end, "15:00" at the close); only hour and minute are meaningful.
int SessionClockMinutes(int session_second);

// The clock the service reads: the system clock, or a fixed instant so that
// answers are reproducible (tests, demos, benchmarks).
class ServiceClock {
 public:
  ServiceClock() = default;
  explicit ServiceClock(std::optional<int64_t> fixed_epoch_seconds) : fixed_(fixed_epoch_seconds) {}
  int64_t Now() const;

 private:
  std::optional<int64_t> fixed_;
};

}  // namespace service
