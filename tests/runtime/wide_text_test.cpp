#include "runtime/wide_text.h"

#include <gtest/gtest.h>

#include <string>

#include "oleaut32_types.h"
#include "tests/support/gbk_literals.h"

namespace {

std::string Bytes(const rt::ByteSet& set) {
  return std::string(set.view());
}

using WideString = std::basic_string<WCHAR>;

rt::ByteSet WideBytes(std::basic_string_view<WCHAR> wide) {
  return rt::ByteSet::Copy(wide.data(), wide.size() * sizeof(WCHAR));
}

TEST(AnsiToWide, KeepsOrDropsTheTerminator) {
  EXPECT_EQ(Bytes(rt::AnsiToWide("ab")), std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(Bytes(rt::AnsiToWide("ab", true)), std::string("a\0b\0", 4));
}

TEST(AnsiToWide, EmptyTextGivesEmptyByteSet) {
  EXPECT_EQ(rt::AnsiToWide("").get(), nullptr);
  EXPECT_EQ(rt::AnsiToWide(nullptr).get(), nullptr);
  EXPECT_EQ(rt::AnsiToWide("", true).get(), nullptr);
}

TEST(AnsiToWide, ConvertsTwoByteCharactersToOneUnitEach) {
  std::string gbk = test::Gbk("股票=12");
  rt::ByteSet wide = rt::AnsiToWide(gbk, true);
  ASSERT_EQ(wide.size(), 10);
  WideString units(reinterpret_cast<const WCHAR*>(wide.data()), 5);
  EXPECT_EQ(units, OLESTR("股票=12"));
}

TEST(AnsiToWide, InvalidGbkBecomesQuestionMarksWithoutOverrun) {
  // A lone lead byte at the end has no trail byte to pair with.
  std::string text = "a\x81";
  rt::ByteSet wide = rt::AnsiToWide(text, true);
  ASSERT_EQ(wide.size(), 4);
  EXPECT_EQ(reinterpret_cast<const WCHAR*>(wide.data())[1], WCHAR{'?'});
}

TEST(WideToAnsi, RoundTripsGbkText) {
  std::string gbk = test::Gbk("成交量（万）€");
  rt::ByteSet wide = rt::AnsiToWide(gbk);
  EXPECT_EQ(rt::WideToAnsi(wide).str(), gbk);
}

TEST(WideToAnsi, EndsAtTheFirstNul) {
  EXPECT_EQ(rt::WideToAnsi(WideBytes(WideString(OLESTR("ab\0cd"), 5))).str(), "ab");
  EXPECT_EQ(rt::WideToAnsi(WideBytes(WideString(OLESTR("\0x"), 2))).get(), nullptr);
}

TEST(WideToAnsi, IgnoresAnOddLastByteAndEmptyInput) {
  std::string odd("a\0b", 3);
  EXPECT_EQ(rt::WideToAnsi(rt::ByteSet::Copy(odd.data(), odd.size())).str(), "a");
  EXPECT_EQ(rt::WideToAnsi(rt::ByteSet()).get(), nullptr);
  std::string one("a", 1);
  EXPECT_EQ(rt::WideToAnsi(rt::ByteSet::Copy(one.data(), 1)).get(), nullptr);
}

TEST(WideToAnsi, UnmappableAndUnpairedUnitsBecomeSubstitutes) {
  rt::Text text = rt::WideToAnsi(WideBytes(OLESTR("a\xD800") OLESTR("b")));
  EXPECT_EQ(text.str(), "a?b");
}

TEST(WideToAnsi, ComposesBaseAndCombiningMark) {
  // "e" followed by a combining acute accent is written as the precomposed letter.
  rt::Text text = rt::WideToAnsi(WideBytes(OLESTR("e\u0301")));
  EXPECT_EQ(text.str(), "\xA8\xA6");
}

}  // namespace
