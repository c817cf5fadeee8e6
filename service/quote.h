// Everything a quote answer says about one stock at one moment, computed from
// the price walk: price, day totals and, for the full form, the day's range and
// a five-level order book.
#pragma once

#include <array>
#include <cstdint>

#include "service/market.h"
#include "service/market_clock.h"
#include "service/price_walk.h"

namespace service {

constexpr int kBookLevels = 5;

// Price 0 with size 0 is a level with no orders, as at a daily limit.
struct BookLevel {
  int64_t price = 0;  // ticks
  int64_t lots = 0;   // of 100 shares
};

enum class QuoteDetail { kShort, kFull };

struct Quote {
  const Stock* stock = nullptr;
  MarketMoment moment;
  TradingDay day;
  int64_t price = 0;    // ticks
  int64_t volume = 0;   // shares traded so far today, whole lots
  double turnover = 0;  // yuan traded so far today
  // The full form only:
  int64_t high = 0;
  int64_t low = 0;
  int64_t outer_lots = 0;                   // volume of trades that took a sell order
  int64_t inner_lots = 0;                   // volume of trades that took a buy order
  std::array<BookLevel, kBookLevels> bids;  // best (highest) first
  std::array<BookLevel, kBookLevels> asks;  // best (lowest) first
};

Quote MakeQuote(const Stock& stock, const MarketMoment& moment, QuoteDetail detail);

}  // namespace service
