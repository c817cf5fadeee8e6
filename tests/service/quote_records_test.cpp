// Quote records as the viewer reads them: split at "~", fields by position.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "service/boards.h"
#include "service/market.h"
#include "service/quote_records.h"
#include "tests/service/service_fixture.h"

namespace {

using service_test::kAfternoon;
using service_test::SplitFields;
using service_test::ToNumber;

class QuoteRecordsTest : public testing::Test {
 protected:
  service::Market market_{7, 300};
  std::string Answer(const std::string& query, int64_t when = kAfternoon) {
    return service::AnswerQuery(market_, query, when);
  }
};

// The listed sample, and codes from across the boards that it need not list.
std::vector<service::Stock> StocksToCheck(const service::Market& market) {
  std::vector<service::Stock> stocks(market.stocks().begin(), market.stocks().end());
  for (const char* code : {"300750", "301001", "159915", "688981", "430047", "920118", "830799",
                           "872925", "200002", "900901", "510300", "588080", "160105", "605999"}) {
    stocks.push_back(*market.FindCode(code));
  }
  return stocks;
}

TEST_F(QuoteRecordsTest, FullFormFieldsSitWhereTheViewerReadsThem) {
  for (const service::Stock& stock : StocksToCheck(market_)) {
    std::string record = Answer(stock.exchange + stock.code);
    SCOPED_TRACE(record);
    ASSERT_TRUE(record.starts_with("v_" + stock.exchange + stock.code + "=\""));
    ASSERT_TRUE(record.ends_with("\";\n"));
    std::vector<std::string> f = SplitFields(record);
    ASSERT_EQ(f.size(), 50u);
    f.insert(f.begin(), "");  // number fields from 1
    EXPECT_EQ(f[2], stock.name_gbk);
    EXPECT_EQ(f[3], stock.code);
    double price = ToNumber(f[4]), close = ToNumber(f[5]), open = ToNumber(f[6]);
    double high = ToNumber(f[34]), low = ToNumber(f[35]);
    double limit_up = ToNumber(f[47]), limit_down = ToNumber(f[48]);
    EXPECT_GT(close, 0);
    EXPECT_LE(low, std::min(price, open));
    EXPECT_GE(high, std::max(price, open));
    EXPECT_LE(high, limit_up);
    EXPECT_GE(low, limit_down);
    EXPECT_NEAR(limit_up, close * (1 + stock.limit_percent / 100.0), 0.0051);
    EXPECT_NEAR(limit_down, close * (1 - stock.limit_percent / 100.0), 0.0051);
    // Volume in lots splits into outer and inner, and is repeated in field 37.
    EXPECT_EQ(ToNumber(f[7]), ToNumber(f[8]) + ToNumber(f[9]));
    EXPECT_EQ(f[37], f[7]);
    EXPECT_GT(ToNumber(f[7]), 0);
    // Buy levels below sell levels, each side ordered away from the price.
    EXPECT_LT(ToNumber(f[10]), ToNumber(f[20]));
    EXPECT_LE(ToNumber(f[10]), price);
    EXPECT_GE(ToNumber(f[20]), price);
    for (int level = 0; level < 5; ++level) {
      double bid = ToNumber(f[10 + 2 * level]), ask = ToNumber(f[20 + 2 * level]);
      EXPECT_GT(ToNumber(f[11 + 2 * level]), 0) << "buy " << level + 1;
      EXPECT_GT(ToNumber(f[21 + 2 * level]), 0) << "sell " << level + 1;
      EXPECT_GE(bid, limit_down);
      EXPECT_LE(ask, limit_up);
      if (level > 0) {
        EXPECT_LT(bid, ToNumber(f[8 + 2 * level]));
        EXPECT_GT(ask, ToNumber(f[18 + 2 * level]));
      }
    }
    EXPECT_EQ(f[30], "");
    EXPECT_EQ(f[31], "20240607141000");
    EXPECT_NEAR(ToNumber(f[32]), price - close, 1e-9);
    EXPECT_NEAR(ToNumber(f[33]), 100 * (price - close) / close, 0.0051);
    // Price, volume in lots and turnover in yuan in one field.
    const std::string trade = f[4] + "/" + f[7] + "/";
    ASSERT_TRUE(f[36].starts_with(trade));
    EXPECT_NEAR(ToNumber(f[36].substr(trade.size())) / 1e4, ToNumber(f[38]), 0.5);
    EXPECT_EQ(f[41], "");
    EXPECT_EQ(f[42], f[34]);
    EXPECT_EQ(f[43], f[35]);
    EXPECT_NEAR(ToNumber(f[44]), 100 * (high - low) / close, 0.0051);
    // A day's volume is a few percent of the float at most: below 2^31 lots.
    double total_value = ToNumber(f[46]), float_value = ToNumber(f[45]);
    EXPECT_GT(float_value, 0);
    EXPECT_LE(float_value, total_value);
    EXPECT_NEAR(ToNumber(f[39]), ToNumber(f[7]) * 100 * price / (float_value * 1e8) * 100,
                0.01 + ToNumber(f[39]) * 0.05);
    EXPECT_LT(ToNumber(f[39]), 7);
    EXPECT_LT(ToNumber(f[7]), 2147483648.0);
    EXPECT_EQ(ToNumber(f[40]) > 0,
              service::BoardOf(stock.code)->listing != service::Listing::kFund);  // P/E
    ASSERT_TRUE(f[50].ends_with("\";\n"));
    EXPECT_NEAR(total_value, ToNumber(f[50].substr(0, f[50].size() - 3)) * price / 1e8, 0.0051);
  }
}

TEST_F(QuoteRecordsTest, ShortFormAgreesWithTheFullFormAndEndsWithTheMarketValue) {
  for (const service::Stock& stock : StocksToCheck(market_)) {
    std::string record = Answer("s_" + stock.exchange + stock.code);
    SCOPED_TRACE(record);
    ASSERT_TRUE(record.starts_with("v_s_" + stock.exchange + stock.code + "=\""));
    std::vector<std::string> s = SplitFields(record);
    ASSERT_EQ(s.size(), 10u);
    std::vector<std::string> f = SplitFields(Answer(stock.exchange + stock.code));
    s.insert(s.begin(), "");
    f.insert(f.begin(), "");
    EXPECT_EQ(s[2], stock.name_gbk);
    EXPECT_EQ(s[3], stock.code);
    EXPECT_EQ(s[4], f[4]);   // price
    EXPECT_EQ(s[5], f[33]);  // change percent
    EXPECT_EQ(s[6], f[32]);  // change
    EXPECT_EQ(s[7], f[7]);   // volume in lots
    EXPECT_EQ(s[8], f[38]);  // turnover
    EXPECT_EQ(s[9], "");
    EXPECT_EQ(s[10], f[46] + "\";\n");
    // The viewer keeps the text before the first double quote.
    EXPECT_GT(ToNumber(s[10].substr(0, s[10].find('"'))), 0);
  }
}

TEST_F(QuoteRecordsTest, SeveralCodesAnswerOneLineEachInOrder) {
  std::string answer = Answer("sh600000,s_sz000001,sz600000,,s_sh600000,");
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = answer.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(answer.substr(start, end - start + 1));
  }
  ASSERT_EQ(lines.size(), 4u) << answer;
  EXPECT_EQ(lines[0], Answer("sh600000"));
  EXPECT_EQ(lines[1], Answer("s_sz000001"));
  EXPECT_EQ(lines[2], service::NoMatchRecord());
  EXPECT_EQ(lines[3], Answer("s_sh600000"));
}

TEST_F(QuoteRecordsTest, UnknownCodesGetTooFewFields) {
  for (const char* query :
       {"",          ",",        "sh",         "s_",        "s_sh",         "sz600000",
        "sh000001",  "SH600000", "sh60000",    "sh6000000", "s_s_sh600000", "xx600000",
        "sh600000 ", "sh300750", "s_sh300750", "sz430047",  "bj920",        "sh113050",
        "sz999999",  "bj600000", "sh920118"}) {
    std::string answer = Answer(query);
    EXPECT_EQ(answer, "v_pv_none_match=\"1\";\n") << query;
    EXPECT_LE(SplitFields(answer).size(), 7u);
  }
}

TEST_F(QuoteRecordsTest, AnswersMoveWithTheClockAndNotOtherwise) {
  std::string query = "sh600000,s_sz000001";
  EXPECT_EQ(Answer(query), Answer(query));
  EXPECT_NE(Answer(query, kAfternoon), Answer(query, kAfternoon + 60));
  // Lunch: 12:00 and 12:30 are the same moment of the market.
  int64_t noon = kAfternoon - 2 * 3600 - 10 * 60;
  EXPECT_EQ(Answer(query, noon), Answer(query, noon + 1800));
}

}  // namespace
