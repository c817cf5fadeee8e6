// The simulated market: stock list, trading hours and the price walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "service/boards.h"
#include "service/market.h"
#include "service/market_clock.h"
#include "service/price_walk.h"
#include "service/quote.h"
#include "tests/service/service_fixture.h"

namespace {

using service::Market;
using service::MomentAt;

// 2024-06-07 (a Friday) 00:00 in Shanghai.
constexpr int64_t kFridayMidnight = 1717689600;
constexpr int64_t kHour = 3600, kMinute = 60;

TEST(MarketTest, ListedCodesBelongToTheirBoardsAndExchanges) {
  Market market(7, 300);
  ASSERT_EQ(market.stocks().size(), 300u);
  std::set<std::string_view> heads;
  std::set<std::string> codes;
  for (const service::Stock& stock : market.stocks()) {
    const service::Board* board = service::BoardOf(stock.code);
    ASSERT_NE(board, nullptr) << stock.code;
    EXPECT_EQ(stock.exchange, board->exchange) << stock.code;
    EXPECT_EQ(stock.limit_percent, board->limit_percent) << stock.code;
    heads.insert(board->head);
    codes.insert(stock.code);
  }
  EXPECT_GT(heads.size(), 15u);
  EXPECT_EQ(codes.size(), 300u);
  EXPECT_TRUE(market.Find("sh", "600000").has_value());
  EXPECT_TRUE(market.Find("sz", "000001").has_value());
  EXPECT_FALSE(market.Find("sz", "600000").has_value());
  EXPECT_FALSE(market.Find("sh", "000001").has_value());
  EXPECT_FALSE(market.FindCode("60000").has_value());
}

// Any code of a board is a stock, listed or not, and only of its board's exchange.
TEST(MarketTest, EveryCodeOfTheBoardsIsAStockOfItsExchangeAndNoOtherCodeIs) {
  const Market market(7, 6), other_sample(7, 2000), other_seed(8, 6);
  struct CodeCase {
    const char* code;
    const char* exchange;  // "" for a code no board lists
  };
  const CodeCase cases[] = {
      {"600000", "sh"}, {"605999", "sh"}, {"688981", "sh"}, {"689009", "sh"}, {"510300", "sh"},
      {"519999", "sh"}, {"560000", "sh"}, {"588080", "sh"}, {"900901", "sh"}, {"000000", "sz"},
      {"004999", "sz"}, {"300750", "sz"}, {"301001", "sz"}, {"159915", "sz"}, {"160105", "sz"},
      {"200002", "sz"}, {"430047", "bj"}, {"830799", "bj"}, {"872925", "bj"}, {"920118", "bj"},
      {"606000", ""},   {"687999", ""},   {"520000", ""},   {"113050", ""},   {"901000", ""},
      {"005000", ""},   {"302000", ""},   {"150000", ""},   {"201000", ""},   {"440000", ""},
      {"921000", ""},   {"999999", ""},   {"60000", ""},    {"6000000", ""},  {"60000a", ""},
      {"", ""},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.code);
    std::optional<service::Stock> stock = market.FindCode(c.code);
    ASSERT_EQ(stock.has_value(), *c.exchange != '\0');
    for (const char* exchange : {"sh", "sz", "bj"}) {
      EXPECT_EQ(market.Find(exchange, c.code).has_value(), std::string_view(exchange) == c.exchange)
          << exchange;
    }
    if (!stock) continue;
    EXPECT_EQ(stock->code, c.code);
    EXPECT_EQ(stock->exchange, c.exchange);
    EXPECT_EQ(stock->name_gbk.size(), 8u);
    EXPECT_GT(stock->base_ticks, 0);
    EXPECT_GT(stock->float_shares, 0);
    EXPECT_LE(stock->float_shares, stock->shares);
    // The seed and the code decide the stock; the listed sample does not.
    std::optional<service::Stock> again = other_sample.FindCode(c.code);
    EXPECT_EQ(again->name_gbk, stock->name_gbk);
    EXPECT_EQ(again->key, stock->key);
    EXPECT_EQ(again->base_ticks, stock->base_ticks);
    EXPECT_NE(other_seed.FindCode(c.code)->key, stock->key);
  }
}

TEST(MarketTest, EveryMarketListsTheWellKnownCodes) {
  for (uint64_t seed : {1ull, 7ull, 20240607ull}) {
    for (int count : {6, 300, Market::kMaxStocks}) {
      Market market(seed, count);
      ASSERT_EQ(market.stocks().size(), static_cast<size_t>(count));
      std::set<std::string> listed;
      for (const service::Stock& stock : market.stocks()) listed.insert(stock.code);
      for (std::string_view code : Market::kWellKnownCodes) {
        EXPECT_EQ(listed.count(std::string(code)), 1u) << seed << " " << count << " " << code;
      }
    }
  }
  // A smaller market keeps the first ones, in their order.
  const Market small(7, 3);
  std::set<std::string> three;
  for (const service::Stock& stock : small.stocks()) three.insert(stock.code);
  EXPECT_EQ(three, (std::set<std::string>{"600000", "000001", "600519"}));
}

TEST(MarketTest, TheSeedDecidesTheMarket) {
  Market a(7, 300), b(7, 300), c(8, 300);
  int same_codes = 0, same_names = 0;
  for (size_t i = 0; i < 300; ++i) {
    EXPECT_EQ(a.stocks()[i].code, b.stocks()[i].code);
    EXPECT_EQ(a.stocks()[i].name_gbk, b.stocks()[i].name_gbk);
    same_codes += a.stocks()[i].code == c.stocks()[i].code;
    same_names += a.stocks()[i].name_utf8 == c.stocks()[i].name_utf8;
  }
  EXPECT_LT(same_codes, 50);
  EXPECT_LT(same_names, 50);
  EXPECT_EQ(Market(1, 0).stocks().size(), 1u);
  EXPECT_EQ(Market(1, 0).stocks()[0].code, "600000");
  EXPECT_EQ(Market(1, 100000).stocks().size(), static_cast<size_t>(Market::kMaxStocks));
}

TEST(MarketTest, NamesAreUniqueChineseAndRoundTripThroughGbk) {
  Market market(7, Market::kMaxStocks);
  std::set<std::string> names;
  for (const service::Stock& stock : market.stocks()) {
    ASSERT_EQ(stock.name_gbk.size(), 8u) << stock.code;  // four double-byte characters
    for (unsigned char byte : stock.name_gbk) ASSERT_GE(byte, 0x40) << stock.code;
    EXPECT_EQ(service_test::GbkToUtf8(stock.name_gbk), stock.name_utf8);
    names.insert(stock.name_utf8);
  }
  EXPECT_EQ(names.size(), market.stocks().size());
}

struct HoursCase {
  int64_t offset;  // from Friday 00:00
  int day_shift;   // trading day relative to Friday's
  int session_second;
  bool trading;
};

TEST(MarketClockTest, SessionsFollowShanghaiHours) {
  int64_t friday = MomentAt(kFridayMidnight + 10 * kHour).trading_day;
  const HoursCase cases[] = {
      {9 * kHour + 29 * kMinute + 59, -1, 14400, false},  // before the open: yesterday's close
      {9 * kHour + 30 * kMinute, 0, 0, true},
      {11 * kHour + 29 * kMinute + 59, 0, 7199, true},
      {11 * kHour + 30 * kMinute, 0, 7200, false},  // lunch
      {12 * kHour + 59 * kMinute + 59, 0, 7200, false},
      {13 * kHour, 0, 7200, true},
      {14 * kHour + 59 * kMinute + 59, 0, 14399, true},
      {15 * kHour, 0, 14400, false},
      {24 * kHour + 10 * kHour, 0, 14400, false},  // Saturday
      {72 * kHour + 9 * kHour, 0, 14400, false},   // Monday before the open
      {72 * kHour + 10 * kHour, 1, 1800, true},    // Monday 10:00
  };
  for (const HoursCase& c : cases) {
    service::MarketMoment moment = MomentAt(kFridayMidnight + c.offset);
    EXPECT_EQ(moment.trading_day, friday + c.day_shift) << c.offset;
    EXPECT_EQ(moment.session_second, c.session_second) << c.offset;
    EXPECT_EQ(moment.trading, c.trading) << c.offset;
  }
  service::LocalDateTime lunch = service::QuoteTime(MomentAt(kFridayMidnight + 12 * kHour));
  EXPECT_EQ((std::vector<int>{lunch.year, lunch.month, lunch.day, lunch.hour, lunch.minute}),
            (std::vector<int>{2024, 6, 7, 11, 30}));
  service::LocalDateTime sunday = service::QuoteTime(MomentAt(kFridayMidnight + 50 * kHour));
  EXPECT_EQ((std::vector<int>{sunday.day, sunday.hour, sunday.minute}),
            (std::vector<int>{7, 15, 0}));
}

TEST(PriceWalkTest, EachDayEndsWhereTheNextBegins) {
  Market market(7, 300);
  for (const service::Stock& stock : market.stocks()) {
    for (int64_t day = 14000; day < 14030; ++day) {
      service::TradingDay today = service::MakeTradingDay(stock, day);
      int64_t next_close = service::PreviousCloseTicks(stock, day + 1);
      ASSERT_EQ(service::PriceAt(today, service::kSessionSeconds), next_close) << stock.code;
      // The close never needs a move beyond the daily limit.
      ASSERT_LE(next_close, today.limit_up) << stock.code;
      ASSERT_GE(next_close, today.limit_down) << stock.code;
      ASSERT_GE(today.open, today.limit_down);
      ASSERT_LE(today.open, today.limit_up);
    }
  }
}

TEST(PriceWalkTest, LimitsRoundHalfUpFromThePreviousClose) {
  Market market(7, 300);
  for (const service::Stock& stock : market.stocks()) {
    for (int64_t trading_day = 14000; trading_day < 14010; ++trading_day) {
      service::TradingDay day = service::MakeTradingDay(stock, trading_day);
      int64_t close = day.previous_close, percent = stock.limit_percent;
      // Within half a tick of the exact limit, and an exact half rounds up.
      int64_t up100 = close * (100 + percent), down100 = close * (100 - percent);
      EXPECT_LE(std::abs(day.limit_up * 100 - up100), 50) << stock.code;
      EXPECT_LE(std::abs(day.limit_down * 100 - down100), 50) << stock.code;
      if (up100 % 100 == 50) {
        EXPECT_EQ(day.limit_up * 100, up100 + 50) << stock.code;
      }
      if (down100 % 100 == 50) {
        EXPECT_EQ(day.limit_down * 100, down100 + 50) << stock.code;
      }
    }
  }
}

TEST(PriceWalkTest, KnotsAgreeAndPricesBetweenThemStayBetween) {
  Market market(3, 20);
  for (const service::Stock& stock : market.stocks()) {
    service::TradingDay day = service::MakeTradingDay(stock, 14001);
    std::vector<double> knots(service::kKnots + 1);
    service::WalkKnots(day, service::kKnots, knots);
    std::set<int64_t> prices;
    for (int k = 0; k <= service::kKnots; ++k) {
      ASSERT_EQ(knots[k], service::WalkAtKnot(day, k)) << k;
      prices.insert(service::TicksOfWalk(day, knots[k]));
    }
    EXPECT_GT(prices.size(), 8u) << stock.code << " hardly moves";
    for (int second = 0; second < service::kSessionSeconds; second += 7) {
      int k = second / service::kKnotSeconds;
      int64_t a = service::TicksOfWalk(day, knots[k]), b = service::TicksOfWalk(day, knots[k + 1]);
      int64_t price = service::PriceAt(day, second);
      ASSERT_GE(price, std::min(a, b)) << second;
      ASSERT_LE(price, std::max(a, b)) << second;
    }
  }
}

TEST(QuoteTest, OutsideTheSessionsTheMarketStandsStill) {
  Market market(7, 50);
  auto price_at = [&](const service::Stock& stock, int64_t offset) {
    return service::MakeQuote(stock, MomentAt(kFridayMidnight + offset),
                              service::QuoteDetail::kShort);
  };
  for (const service::Stock& stock : market.stocks()) {
    service::Quote morning_end = price_at(stock, 11 * kHour + 29 * kMinute + 59);
    service::Quote lunch = price_at(stock, 12 * kHour);
    service::Quote close = price_at(stock, 15 * kHour);
    service::Quote weekend = price_at(stock, 36 * kHour);
    service::Quote monday_early = price_at(stock, 72 * kHour + 8 * kHour);
    EXPECT_EQ(lunch.volume, price_at(stock, 11 * kHour + 30 * kMinute).volume);
    EXPECT_GE(lunch.volume, morning_end.volume);
    EXPECT_EQ(close.price, weekend.price);
    EXPECT_EQ(close.volume, weekend.volume);
    EXPECT_EQ(close.price, monday_early.price);
    EXPECT_EQ(close.turnover, monday_early.turnover);
  }
}

TEST(QuoteTest, VolumeAndTurnoverGrowThroughTheDay) {
  Market market(7, 50);
  for (const service::Stock& stock : market.stocks()) {
    int64_t last_volume = -1;
    double last_turnover = -1;
    for (int64_t offset = 9 * kHour + 30 * kMinute; offset <= 15 * kHour; offset += 97) {
      service::Quote quote = service::MakeQuote(stock, MomentAt(kFridayMidnight + offset),
                                                service::QuoteDetail::kFull);
      ASSERT_EQ(quote.volume % 100, 0);
      ASSERT_GE(quote.volume, last_volume) << stock.code << " at " << offset;
      ASSERT_GE(quote.turnover, last_turnover) << stock.code << " at " << offset;
      if (quote.volume > 0) {
        double average_ticks = quote.turnover * 100 / quote.volume;
        ASSERT_GE(average_ticks, quote.day.limit_down);
        ASSERT_LE(average_ticks, quote.day.limit_up);
      }
      last_volume = quote.volume;
      last_turnover = quote.turnover;
    }
    EXPECT_GT(last_volume, 0) << stock.code;
  }
}

TEST(QuoteTest, EachStockAndDayHasTotalsOfItsOwn) {
  // One code at the same time of day in two markets and on two trading days,
  // other codes and times beside it: each trades its own volume, and asking
  // again in the reverse order gives the same answers.
  struct Ask {
    uint64_t seed;
    const char* code;
    int64_t offset;
  };
  const std::vector<Ask> asks = {
      {7, "600000", 10 * kHour},
      {8, "600000", 10 * kHour},
      {7, "600000", 72 * kHour + 10 * kHour},
      {7, "000001", 10 * kHour},
      {7, "600000", 14 * kHour + 59 * kMinute + 30},
      {7, "600000", 9 * kHour + 30 * kMinute + 20},
  };
  auto quote_of = [](const Ask& ask) {
    std::optional<service::Stock> stock = Market(ask.seed, 1).FindCode(ask.code);
    return service::MakeQuote(*stock, MomentAt(kFridayMidnight + ask.offset),
                              service::QuoteDetail::kShort);
  };
  std::vector<service::Quote> forward;
  for (const Ask& ask : asks) forward.push_back(quote_of(ask));
  for (size_t i = asks.size(); i-- > 0;) {
    const service::Quote again = quote_of(asks[i]);
    EXPECT_EQ(again.volume, forward[i].volume) << i;
    EXPECT_EQ(again.turnover, forward[i].turnover) << i;
  }
  std::set<int64_t> volumes;
  for (const service::Quote& quote : forward) volumes.insert(quote.volume);
  EXPECT_EQ(volumes.size(), asks.size());
}

}  // namespace
