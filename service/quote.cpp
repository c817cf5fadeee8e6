#include "service/quote.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "service/day_totals.h"
#include "service/noise.h"

namespace service {
namespace {

void Totals(const Stock& stock, const TradingDay& day, int session_second, Quote& quote) {
  const std::shared_ptr<const DayTotals> totals = DayTotals::Of(stock, day);
  quote.volume = totals->Volume(session_second);
  quote.turnover = totals->Turnover(session_second);
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
