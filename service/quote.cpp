#include "service/quote.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "service/noise.h"

namespace service {
namespace {

constexpr int kSessionMinutes = kSessionSeconds / 60;
// Turnover is summed in blocks priced at their first knot: cheap, and it can
// only grow as volume does.
constexpr int kTurnoverBlockMinutes = 10;

// Trading is busiest after the open and before the close: a U-shaped share of
// the day's volume per minute, summing to 1.
const std::array<double, kSessionMinutes>& MinuteShares() {
  static const std::array<double, kSessionMinutes> shares = [] {
    std::array<double, kSessionMinutes> weights{};
    double sum = 0;
    for (int m = 0; m < kSessionMinutes; ++m) {
      double x = (m - (kSessionMinutes - 1) / 2.0) / (kSessionMinutes / 2.0);
      weights[m] = 1 + 2 * x * x;
      sum += weights[m];
    }
    for (double& w : weights) w /= sum;
    return weights;
  }();
  return shares;
}

// At most 6.4 % of the float (a 4 % turnover on a day 1.6 times as busy as
// usual), so even the largest float of 8e10 shares trades some 5e7 lots a
// day, far below 2^31.
double DayVolume(const Stock& stock, const TradingDay& day) {
  return stock.float_shares * stock.daily_turnover * Between(Hash(day.key, 0x564F'4Cull), 0.6, 1.6);
}

int64_t WholeLots(double shares) {
  return static_cast<int64_t>(shares / 100) * 100;
}

// Shares traded in one minute of the session (0..239), whole lots.
int64_t MinuteVolume(const TradingDay& day, double day_volume, int minute) {
  double noise = Between(Hash(day.key, 0x4D49'4Eull, minute), 0.4, 1.6);
  return WholeLots(day_volume * MinuteShares()[minute] * noise);
}

void Totals(const Stock& stock, const TradingDay& day, int session_second, Quote& quote) {
  int full_minutes = session_second / 60;
  int64_t volume = 0;
  double turnover = 0;
  int64_t block_volume = 0;
  double day_volume = DayVolume(stock, day);
  for (int m = 0; m <= std::min(full_minutes, kSessionMinutes - 1); ++m) {
    int64_t minute = MinuteVolume(day, day_volume, m);
    if (m == full_minutes) minute = WholeLots(minute * (session_second % 60) / 60.0);
    block_volume += minute;
    bool block_ends =
        (m + 1) % kTurnoverBlockMinutes == 0 || m == full_minutes || m == kSessionMinutes - 1;
    if (block_ends) {
      int first_knot = (m / kTurnoverBlockMinutes) * kTurnoverBlockMinutes * 60 / kKnotSeconds;
      turnover += block_volume * TicksOfWalk(day, WalkAtKnot(day, first_knot)) / 100.0;
      volume += block_volume;
      block_volume = 0;
    }
  }
  quote.volume = volume;
  quote.turnover = turnover;
}

void Range(const TradingDay& day, int session_second, Quote& quote) {
  int last_knot = session_second / kKnotSeconds;
  std::vector<double> walk(last_knot + 1);
  WalkKnots(day, last_knot, walk);
  auto [low, high] = std::minmax_element(walk.begin(), walk.end());
  quote.high = std::max(TicksOfWalk(day, *high), quote.price);
  quote.low = std::min(TicksOfWalk(day, *low), quote.price);
}

// Sizes scale with how much the stock trades; the spread is one tick, now and
// then two, and deeper levels sit one or two ticks further out.
void Book(const Stock& stock, const TradingDay& day, int session_second, Quote& quote) {
  uint64_t h = Hash(day.key, 0x424F'4F4Bull, session_second);
  double typical_lots = std::max(1.0, DayVolume(stock, day) / 100 / 4000);
  auto lots = [&](uint64_t level_hash) {
    return std::max<int64_t>(1,
                             std::llround(typical_lots * std::exp(Between(level_hash, -2, 1.4))));
  };
  int64_t bid = quote.price - static_cast<int64_t>(h & 1);
  int64_t ask = bid + 1 + ((h >> 1) % 8 == 0 ? 1 : 0);
  for (int i = 0; i < kBookLevels; ++i) {
    uint64_t hb = Hash(h, 2 * i), ha = Hash(h, 2 * i + 1);
    quote.bids[i] = bid >= day.limit_down ? BookLevel{bid, lots(hb)} : BookLevel{};
    quote.asks[i] = ask <= day.limit_up ? BookLevel{ask, lots(ha)} : BookLevel{};
    bid -= 1 + ((hb >> 40) % 4 == 0 ? 1 : 0);
    ask += 1 + ((ha >> 40) % 4 == 0 ? 1 : 0);
  }
  // Trades that took sell orders against those that took buy orders.
  double outer_share = Between(Hash(day.key, 0x4F55'54ull), 0.42, 0.58);
  int64_t volume_lots = quote.volume / 100;
  quote.outer_lots = static_cast<int64_t>(volume_lots * outer_share);
  quote.inner_lots = volume_lots - quote.outer_lots;
}

}  // namespace

Quote MakeQuote(const Stock& stock, const MarketMoment& moment, QuoteDetail detail) {
  Quote quote;
  quote.stock = &stock;
  quote.moment = moment;
  quote.day = MakeTradingDay(stock, moment.trading_day);
  quote.price = PriceAt(quote.day, moment.session_second);
  Totals(stock, quote.day, moment.session_second, quote);
  if (detail == QuoteDetail::kFull) {
    Range(quote.day, moment.session_second, quote);
    Book(stock, quote.day, moment.session_second, quote);
  }
  return quote;
}

}  // namespace service
