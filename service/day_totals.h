// The volume and turnover of one stock's trading day as running sums, built
// once per day and kept: a quote then reads its totals at any second of the
// session in a few steps instead of adding up to 240 minutes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "service/market.h"
#include "service/market_clock.h"
#include "service/price_walk.h"

namespace service {

constexpr int kSessionMinutes = kSessionSeconds / 60;
// Turnover is summed in blocks priced at their first knot: cheap, and it can
// only grow as volume does.
constexpr int kTurnoverBlockMinutes = 10;
constexpr int kTurnoverBlocks = kSessionMinutes / kTurnoverBlockMinutes;

// Shares the stock trades on the whole day.
double DayVolume(const Stock& stock, const TradingDay& day);

class DayTotals {
 public:
  DayTotals(const Stock& stock, const TradingDay& day);

  // Shares traded (whole lots) and yuan turned over after `session_second`
  // seconds of trading: every full minute, plus the share of the current
  // minute that has passed.
  int64_t Volume(int session_second) const;
  double Turnover(int session_second) const;

  // The totals of (stock, day), built on first use and kept for the days
  // asked for most recently. Safe to call from many threads at once.
  static std::shared_ptr<const DayTotals> Of(const Stock& stock, const TradingDay& day);

 private:
  struct Position {
    int full_minutes;      // whole minutes before the one in progress
    int64_t partial;       // shares of the minute in progress traded so far
    int block;             // the turnover block the minute in progress belongs to
    int64_t block_volume;  // shares of that block traded so far
  };
  Position At(int session_second) const;

  // Shares traded in the minutes before minute m.
  std::array<int64_t, kSessionMinutes + 1> volume_before_{};
  // Yuan turned over in the whole blocks before block b, added up block by
  // block in order, as a sum over the day would be.
  std::array<double, kTurnoverBlocks + 1> turnover_before_{};
  // The price (ticks) each block is turned over at.
  std::array<int64_t, kTurnoverBlocks> block_ticks_{};
};

}  // namespace service
