#include "service/market_clock.h"

#include <chrono>

namespace service {
namespace {

constexpr int64_t kUtcOffsetSeconds = 8 * 3600;
constexpr int kMorningOpen = 9 * 3600 + 30 * 60;
constexpr int kMorningClose = 11 * 3600 + 30 * 60;
constexpr int kAfternoonOpen = 13 * 3600;
constexpr int kAfternoonClose = 15 * 3600;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// 1970-01-01 was a Thursday; counting from the Monday before it makes day 0 of
// every week a Monday.
constexpr int64_t kMondayShift = 3;

int64_t TradingDayOf(int64_t week, int weekday) {
  return week * 5 + weekday;
}

int64_t CivilDayOfTradingDay(int64_t trading_day) {
  int64_t week = FloorDiv(trading_day, 5);
  int64_t weekday = trading_day - week * 5;
  return week * 7 + weekday - kMondayShift;
}

// Days since 1970-01-01 to a proleptic Gregorian date (the well-known
// era-based conversion).
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  int64_t era = FloorDiv(days, 146097);
  int64_t day_of_era = days - era * 146097;
  int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  int64_t shifted_month = (5 * day_of_year + 2) / 153;
  day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
}

// Seconds since midnight of a session second.
int ClockSecond(int session_second) {
  return session_second <= kMorningSeconds ? kMorningOpen + session_second
                                           : kAfternoonOpen + session_second - kMorningSeconds;
}

}  // namespace

MarketMoment MomentAt(int64_t epoch_seconds) {
  int64_t local = epoch_seconds + kUtcOffsetSeconds;
  int64_t civil_day = FloorDiv(local, 86400);
  int second_of_day = static_cast<int>(local - civil_day * 86400);
  int64_t week = FloorDiv(civil_day + kMondayShift, 7);
  int weekday = static_cast<int>(civil_day + kMondayShift - week * 7);

  if (weekday >= 5) return {TradingDayOf(week, 4), kSessionSeconds, false};
  int64_t today = TradingDayOf(week, weekday);
  if (second_of_day < kMorningOpen) return {today - 1, kSessionSeconds, false};
  if (second_of_day < kMorningClose) return {today, second_of_day - kMorningOpen, true};
  if (second_of_day < kAfternoonOpen) return {today, kMorningSeconds, false};
  if (second_of_day < kAfternoonClose) {
    return {today, kMorningSeconds + second_of_day - kAfternoonOpen, true};
  }
  return {today, kSessionSeconds, false};
}

int SessionClockMinutes(int session_second) {
  return ClockSecond(session_second) / 60;
}

LocalDateTime QuoteTime(const MarketMoment& moment) {
  LocalDateTime time{};
  CivilFromDays(CivilDayOfTradingDay(moment.trading_day), time.year, time.month, time.day);
  int clock = ClockSecond(moment.session_second);
  time.hour = clock / 3600;
  time.minute = clock / 60 % 60;
  time.second = clock % 60;
  return time;
}

int64_t ServiceClock::Now() const {
  if (fixed_) return *fixed_;
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace service
