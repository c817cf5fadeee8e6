// The simulated market: every six-digit code of the boards (service/boards.h)
// is a listed security whose Chinese name and fixed traits follow from the
// seed and the code alone, so any code is answered without a list and two
// markets with the same seed agree on every one. A sample of them, as many as
// asked for, is what the index page lists.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace service {

struct Stock {
  std::string code;      // six digits
  std::string exchange;  // "sh", "sz" or "bj"
  std::string name_utf8;
  std::string name_gbk;
  uint64_t key = 0;           // root of every hash about this stock
  int64_t base_ticks = 0;     // price level the walk wanders around, in 0.01
  int64_t shares = 0;         // total share count, fixed
  int64_t float_shares = 0;   // the shares that trade, at most `shares`
  double daily_sigma = 0;     // spread of a day's price path, as a log fraction
  double daily_turnover = 0;  // share of the float traded on an average day
  double earnings = 0;        // yearly earnings per share in ticks; 0 for funds
  int limit_percent = 10;     // daily limit either side of the previous close
};

class Market {
 public:
  static constexpr int kMaxStocks = 2000;
  static constexpr int kDefaultStocks = 300;
  static constexpr uint64_t kDefaultSeed = 20240607;

  // Codes people try first; every sample lists them, in this order, as far
  // as its size goes (600000 alone in a sample of one).
  static constexpr const char* kWellKnownCodes[] = {"600000", "000001", "600519",
                                                    "000858", "601398", "601318"};

  // `sample_size` is clamped to 1..kMaxStocks.
  Market(uint64_t seed, int sample_size);

  uint64_t seed() const { return seed_; }
  // The listed sample, sorted by code, with no name twice. Every other code
  // of the boards answers as well.
  std::span<const Stock> stocks() const { return stocks_; }

  // Empty unless the code is a code of one of `exchange`'s boards.
  std::optional<Stock> Find(std::string_view exchange, std::string_view code) const;
  // By code alone (the boards of the exchanges never overlap).
  std::optional<Stock> FindCode(std::string_view code) const;

 private:
  uint64_t seed_;
  std::vector<Stock> stocks_;
};

}  // namespace service
