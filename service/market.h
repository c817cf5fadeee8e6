// The simulated market's stocks: codes of both exchanges, Chinese names and
// the fixed traits their prices and volumes are drawn from, all reproducible
// from the seed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace service {

struct Stock {
  std::string code;      // six digits
  std::string exchange;  // "sh" or "sz"
  std::string name_utf8;
  std::string name_gbk;
  uint64_t key = 0;           // root of every hash about this stock
  int64_t base_ticks = 0;     // price level the walk wanders around, in 0.01
  int64_t shares = 0;         // total share count, fixed
  double daily_sigma = 0;     // spread of a day's price path, as a log fraction
  double daily_turnover = 0;  // share of all shares traded on an average day
  int limit_percent = 10;     // daily limit either side of the previous close
};

class Market {
 public:
  static constexpr int kMaxStocks = 2000;
  static constexpr int kDefaultStocks = 300;
  static constexpr uint64_t kDefaultSeed = 20240607;

  // Codes people try first; every market lists them, in this order, as far
  // as its count goes (600000 alone in a market of one).
  static constexpr const char* kWellKnownCodes[] = {"600000", "000001", "600519",
                                                    "000858", "601398", "601318"};

  // `count` is clamped to 1..kMaxStocks.
  Market(uint64_t seed, int count);

  uint64_t seed() const { return seed_; }
  // Sorted by code.
  std::span<const Stock> stocks() const { return stocks_; }

  // Null unless both the exchange prefix and the code match a stock.
  const Stock* Find(std::string_view exchange, std::string_view code) const;
  // By code alone (codes of the two exchanges never overlap).
  const Stock* FindCode(std::string_view code) const;

 private:
  uint64_t seed_;
  std::vector<Stock> stocks_;
};

}  // namespace service
