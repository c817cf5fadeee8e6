#include "service/price_walk.h"

#include <algorithm>
#include <cmath>

#include "service/noise.h"

namespace service {
namespace {

// The previous close wanders slowly: knots of the log level every 20 trading
// days, linearly joined (at most 0.03 a day), plus a daily jitter of ±0.015.
constexpr int64_t kLevelDays = 20;
constexpr double kLevelSpread = 0.3;
constexpr double kDailyJitter = 0.015;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

double LevelKnot(const Stock& stock, int64_t index) {
  return kLevelSpread * (2 * Unit(Hash(stock.key, 0x4C45'5645'4Cull, index)) - 1);
}

double LogLevel(const Stock& stock, int64_t trading_day) {
  int64_t index = FloorDiv(trading_day, kLevelDays);
  double fraction = static_cast<double>(trading_day - index * kLevelDays) / kLevelDays;
  double level = LevelKnot(stock, index) * (1 - fraction) + LevelKnot(stock, index + 1) * fraction;
  return level + kDailyJitter * (2 * Unit(Hash(stock.key, 0x4A49'5454ull, trading_day)) - 1);
}

// Limit prices round half up to a tick, as the exchanges compute them.
int64_t LimitTicks(int64_t close, int percent) {
  return (close * (100 + percent) + 50) / 100;
}

// The midpoint of a bridge between knots lo and hi with known ends. The noise
// is keyed by the interval, so every path through the halvings agrees on it.
double Midpoint(const TradingDay& day, int lo, int hi, double a, double b) {
  int mid = (lo + hi) / 2;
  double t = static_cast<double>(mid - lo) / (hi - lo);
  double spread =
      day.knot_sigma * std::sqrt(static_cast<double>(mid - lo) * (hi - mid) / (hi - lo));
  return a + (b - a) * t + spread * Normal(Hash(day.key, static_cast<uint64_t>(lo) << 16 | hi));
}

void Fill(const TradingDay& day, int lo, int hi, double a, double b, int last,
          std::span<double> out) {
  if (hi - lo <= 1) {
    if (hi <= last) out[hi] = b;
    return;
  }
  int mid = (lo + hi) / 2;
  double m = Midpoint(day, lo, hi, a, b);
  Fill(day, lo, mid, a, m, last, out);
  if (mid < last) Fill(day, mid, hi, m, b, last, out);
}

}  // namespace

int64_t PreviousCloseTicks(const Stock& stock, int64_t trading_day) {
  return std::max<int64_t>(100,
                           std::llround(stock.base_ticks * std::exp(LogLevel(stock, trading_day))));
}

TradingDay MakeTradingDay(const Stock& stock, int64_t trading_day) {
  TradingDay day;
  day.key = Hash(stock.key, 0x4441'59ull, trading_day);
  day.previous_close = PreviousCloseTicks(stock, trading_day);
  day.limit_up = LimitTicks(day.previous_close, stock.limit_percent);
  day.limit_down = LimitTicks(day.previous_close, -stock.limit_percent);
  day.knot_sigma = stock.daily_sigma / std::sqrt(static_cast<double>(kKnots));
  double gap =
      std::clamp(0.5 * stock.daily_sigma * Normal(Hash(day.key, 0x4741'50ull)), -0.03, 0.03);
  day.open = TicksOfWalk(day, gap);
  day.start = std::log(static_cast<double>(day.open) / day.previous_close);
  day.end = std::log(static_cast<double>(PreviousCloseTicks(stock, trading_day + 1)) /
                     day.previous_close);
  return day;
}

double WalkAtKnot(const TradingDay& day, int knot) {
  int lo = 0, hi = kKnots;
  double a = day.start, b = day.end;
  while (true) {
    if (knot <= lo) return a;
    if (knot >= hi) return b;
    int mid = (lo + hi) / 2;
    double m = Midpoint(day, lo, hi, a, b);
    if (knot < mid) {
      hi = mid;
      b = m;
    } else {
      lo = mid;
      a = m;
    }
  }
}

void WalkKnots(const TradingDay& day, int last_knot, std::span<double> out) {
  last_knot = std::clamp(last_knot, 0, kKnots);
  out[0] = day.start;
  if (last_knot > 0) Fill(day, 0, kKnots, day.start, day.end, last_knot, out);
}

int64_t TicksOfWalk(const TradingDay& day, double walk) {
  int64_t ticks = std::llround(day.previous_close * std::exp(walk));
  return std::clamp(ticks, day.limit_down, day.limit_up);
}

int64_t PriceAt(const TradingDay& day, int session_second) {
  session_second = std::clamp(session_second, 0, kSessionSeconds);
  int knot = session_second / kKnotSeconds;
  int into = session_second % kKnotSeconds;
  double walk = WalkAtKnot(day, knot);
  if (into != 0) {
    double next = WalkAtKnot(day, knot + 1);
    walk += (next - walk) * into / kKnotSeconds;
  }
  return TicksOfWalk(day, walk);
}

}  // namespace service
