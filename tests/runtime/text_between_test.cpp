#include "runtime/text_between.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBetween, CutsBetweenMarkers) {
  EXPECT_EQ(rt::TextBetween("k=v;x", "k=", ";").str(), "v");
  EXPECT_EQ(rt::TextBetween("k=v", "k=", ";").get(), nullptr);
  EXPECT_EQ(rt::TextBetween("k=v;x", "q=", ";").get(), nullptr);
}

TEST(TextBetween, EmptyLeftMarkerAndQuotePlaceholderGiveTextBeforeTheQuote) {
  EXPECT_EQ(rt::TextBetween("3000.12\";\n", "", rt::QuotePlaceholder()).str(), "3000.12");
  EXPECT_EQ(rt::TextBetween("3000.12", "", "\"").get(), nullptr);
}

TEST(TextBetween, StartAndCaseFlag) {
  EXPECT_EQ(rt::TextBetween("a[1] a[2]", "a[", "]", 3).str(), "2");
  EXPECT_EQ(rt::TextBetween("NAME=x;", "name=", ";").get(), nullptr);
  EXPECT_EQ(rt::TextBetween("NAME=x;", "name=", ";", std::nullopt, true).str(), "x");
}

}  // namespace
