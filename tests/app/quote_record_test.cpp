#include "app/quote_record.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/gbk_literals.h"

namespace {

std::string Query(const rt::Text& address) {
  std::string text = address.str();
  return text.substr(text.find("/q=") + 1);
}

TEST(QuoteAddress, ExchangeFollowsTheLeadingDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"000001", "sz"}, {"002594", "sz"}, {"159915", "sz"}, {"200002", "sz"}, {"300750", "sz"},
      {"301001", "sz"}, {"430047", "bj"}, {"830799", "bj"}, {"920118", "bj"}, {"600000", "sh"},
      {"688981", "sh"}, {"510300", "sh"}, {"113050", "sh"}, {"900901", "sh"}, {"", "sh"},
  };
  for (const auto& [code, exchange] : cases) {
    EXPECT_EQ(Query(app::ShortQuoteAddress(code)), std::string("q=s_") + exchange + code) << code;
    EXPECT_EQ(Query(app::FullQuoteAddress(code)), std::string("q=") + exchange + code) << code;
  }
  EXPECT_EQ(Query(app::FullQuoteAddress(nullptr)), "q=sh");
}

TEST(QuoteAddress, CodeIsUsedExactlyAsTyped) {
  EXPECT_EQ(Query(app::ShortQuoteAddress(" 0x")), "q=s_sh 0x");
}

// Builds a record of `count` fields where field i reads "f<i>".
std::string Record(int count) {
  std::string record;
  for (int i = 1; i <= count; ++i) record += (i > 1 ? "~f" : "f") + std::to_string(i);
  return record;
}

std::map<int32_t, std::string> Apply(const std::string& answer,
                                     std::span<const app::FieldPlace> places, bool* applied) {
  std::map<int32_t, std::string> written;
  *applied = app::ApplyFields(
      app::SplitFields(answer), places,
      [&](int32_t place, rt::TextRef value) { written[place] = std::string(value.view()); });
  return written;
}

TEST(ApplyFields, SevenFieldsOrFewerChangeNothing) {
  bool applied = true;
  EXPECT_TRUE(Apply(Record(7), app::ShortFormPlaces(), &applied).empty());
  EXPECT_FALSE(applied);
  EXPECT_TRUE(Apply("", app::FullFormPlaces(), &applied).empty());
  EXPECT_FALSE(applied);
  // A trailing "~" adds no empty last field.
  EXPECT_TRUE(Apply(Record(7) + "~", app::ShortFormPlaces(), &applied).empty());
}

TEST(ApplyFields, FullFormFillsTheTwentyLabelsInOrder) {
  std::vector<int32_t> order;
  std::map<int32_t, std::string> written;
  app::ApplyFields(app::SplitFields(Record(35)), app::FullFormPlaces(),
                   [&](int32_t place, rt::TextRef value) {
                     order.push_back(place);
                     written[place] = std::string(value.view());
                   });
  ASSERT_EQ(order.size(), 20u);
  EXPECT_EQ(order.front(), 20);
  EXPECT_EQ(order[9], 36);
  EXPECT_EQ(order[10], 19);
  EXPECT_EQ(order.back(), 27);
  EXPECT_EQ(written[20], "f10");  // buy 1, first value
  EXPECT_EQ(written[32], "f11");  // buy 1, second value
  EXPECT_EQ(written[19], "f20");  // sell 1, first value
  EXPECT_EQ(written[15], "f28");  // sell 5, first value
  EXPECT_EQ(written[27], "f29");  // sell 5, second value
}

TEST(ApplyFields, ShortFormConvertsVolumeAndMarketValue) {
  std::string answer = "v_s_sh600000=\"1~" + test::Gbk("浦发银行") + "~600000~7.50~0.05~0.67~" +
                       "1234567~92345~~3000.12\";\n";
  bool applied = false;
  auto written = Apply(answer, app::ShortFormPlaces(), &applied);
  EXPECT_TRUE(applied);
  EXPECT_EQ(written[1], test::Gbk("浦发银行"));
  EXPECT_EQ(written[2], "7.50");
  EXPECT_EQ(written[3], "0.67");
  EXPECT_EQ(written[4], "123.4567");
  EXPECT_EQ(written[5], "3000.12");
}

TEST(ApplyFields, ShortRecordWritesWhatIsPresentAndSkipsTheRest) {
  bool applied = false;
  auto full = Apply(Record(20), app::FullFormPlaces(), &applied);
  EXPECT_TRUE(applied);
  EXPECT_EQ(full.size(), 11u);  // fields 10 to 20
  EXPECT_EQ(full[19], "f20");
  EXPECT_EQ(full.count(31), 0u);

  auto short_form = Apply(Record(8), app::ShortFormPlaces(), &applied);
  EXPECT_EQ(short_form.size(), 4u);
  EXPECT_EQ(short_form.count(5), 0u);
}

TEST(FieldConversions, VolumeAndMarketValue) {
  EXPECT_EQ(app::VolumeText("12345").str(), "1.2345");
  EXPECT_EQ(app::VolumeText("50000").str(), "5");
  EXPECT_EQ(app::VolumeText("0").str(), "0");
  EXPECT_EQ(app::VolumeText("abc").str(), "0");
  EXPECT_EQ(app::VolumeText(test::Gbk("１２３４５")).str(), "1.2345");
  // Volumes past 2^31 keep their value.
  EXPECT_EQ(app::VolumeText("3000000000").str(), "300000");
  EXPECT_EQ(app::VolumeText("4294967296").str(), "429496.7296");
  EXPECT_EQ(app::VolumeText("2147483647").str(), "214748.3647");
  EXPECT_EQ(app::MarketValueText("no quote here").get(), nullptr);
  EXPECT_EQ(app::MarketValueText("\"").get(), nullptr);
}

TEST(SplitFields, TildeInsideATwoByteCharacterIsNoSeparator) {
  // 0x7E is a valid GBK trail byte: the character 0x81 0x7E is one field byte pair.
  std::string answer = "a~\x81\x7E~b";
  rt::TextArray fields = app::SplitFields(answer);
  ASSERT_EQ(fields.size(), 3);
  EXPECT_EQ(fields.ViewAt(2), "\x81\x7E");
}

// Fields 1 to 29, as they stand in the record; the rest is left unsplit.
TEST(SplitFields, ALongAnswerIsSplitAsFarAsTheLastFieldRead) {
  rt::TextArray fields = app::SplitFields(Record(100000));
  ASSERT_EQ(fields.size(), 29);
  EXPECT_EQ(fields.ViewAt(1), "f1");
  EXPECT_EQ(fields.ViewAt(29), "f29");
  EXPECT_EQ(app::SplitFields(Record(29) + "~").size(), 29);
  EXPECT_EQ(app::SplitFields(Record(28)).size(), 28);
}

}  // namespace
