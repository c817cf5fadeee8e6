// A stock's price through one trading day, as a pure function of (seed,
// stock, day, time): a Brownian bridge in log price, pinned at the day's open
// and at the next day's previous close, evaluated on knots ten seconds apart
// by halving the interval. Any instant costs one descent of about eleven
// halvings, with no history replayed, and each day ends where the next begins.
#pragma once

#include <cstdint>
#include <span>

#include "service/market.h"
#include "service/market_clock.h"

namespace service {

constexpr int kKnotSeconds = 10;
constexpr int kKnots = kSessionSeconds / kKnotSeconds;  // the last knot is the close

// The fixed points of one stock's trading day. Prices are in ticks of 0.01.
struct TradingDay {
  uint64_t key = 0;
  int64_t previous_close = 0;
  int64_t open = 0;
  int64_t limit_up = 0;
  int64_t limit_down = 0;
  double knot_sigma = 0;  // spread of one knot step, in log price
  double start = 0;       // log(open / previous close)
  double end = 0;         // log(close / previous close)
};

// The previous close that `trading_day` starts from, which is also the close
// of the day before. Its day-to-day change stays within ±6.2 %, inside every
// daily limit, so the bridge never has to end beyond one.
int64_t PreviousCloseTicks(const Stock& stock, int64_t trading_day);

TradingDay MakeTradingDay(const Stock& stock, int64_t trading_day);

// The walk (log price over the previous close) at one knot, 0..kKnots.
double WalkAtKnot(const TradingDay& day, int knot);
// Every knot from 0 to `last_knot` into out[0..last_knot]; cheaper than one
// descent per knot because shared halvings are computed once.
void WalkKnots(const TradingDay& day, int last_knot, std::span<double> out);

// Rounded to a tick and held within the daily limits.
int64_t TicksOfWalk(const TradingDay& day, double walk);

// Price after `session_second` seconds of trading: linear between the two
// knots around it, so a day's extremes always sit on knots.
int64_t PriceAt(const TradingDay& day, int session_second);

}  // namespace service
