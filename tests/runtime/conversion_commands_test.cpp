#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"

namespace {

using rt::ValueRecord;
using test::Gbk;

ValueRecord DateTime(double days) {
  ValueRecord record = ValueRecord::Double(days);
  record.type = rt::type::DateTime;
  return record;
}

double Clock(int hour, int minute, int second) {
  return (hour * 3600 + minute * 60 + second) / 86400.0;
}

TEST(ToInteger, ReadsDecimalTextAfterFullWidthNormalisation) {
  EXPECT_EQ(rt::ToInteger(Gbk("１２３")), 123);
  EXPECT_EQ(rt::ToInteger(" 42abc"), 42);
  EXPECT_EQ(rt::ToInteger("\t+7"), 7);
  EXPECT_EQ(rt::ToInteger(Gbk("－５")), -5);
  EXPECT_EQ(rt::ToInteger(Gbk("　　12")), 12);  // full-width spaces are white space
  EXPECT_EQ(rt::ToInteger(Gbk("中12")), 0);
  EXPECT_EQ(rt::ToInteger("abc"), 0);
  EXPECT_EQ(rt::ToInteger("-"), 0);
  EXPECT_EQ(rt::ToInteger(""), 0);
  EXPECT_EQ(rt::ToInteger(rt::TextRef(nullptr)), 0);
  EXPECT_EQ(rt::ToInteger("12\xB0"), 12);
  EXPECT_EQ(rt::ToInteger("\xB0"), 0);
}

TEST(ToInteger, TextOverflowWrapsModulo2To32) {
  EXPECT_EQ(rt::ToInteger("4294967297"), 1);
  EXPECT_EQ(rt::ToInteger("2147483648"), INT32_MIN);
  EXPECT_EQ(rt::ToInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(rt::ToInteger("-4294967295"), 1);
}

TEST(ToInteger, ByValueType) {
  EXPECT_EQ(rt::ToInteger(ValueRecord::Double(2.9)), 2);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Double(-2.9)), -2);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Float(-7.75f)), -7);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Of(rt::type::Byte, 0x1FF)), 255);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Of(rt::type::Short, 0xFFFF)), -1);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Int64(0x100000005LL)), 5);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Of(rt::type::Bool, 1)), 1);
  EXPECT_EQ(rt::ToInteger(ValueRecord::Of(rt::type::SubroutinePointer, 0x1234)), 0x1234);
  EXPECT_EQ(rt::ToInteger(DateTime(45000.5)), 0);
  EXPECT_EQ(rt::ToInteger(ValueRecord::ByteSet(nullptr)), 0);
  EXPECT_EQ(rt::ToInteger(ValueRecord{}), 0);
}

TEST(ConvertToText, DoublesUseThirteenSignificantDigits) {
  EXPECT_EQ(rt::ConvertToText(0.1).view(), "0.1");
  EXPECT_EQ(rt::ConvertToText(1.2345).view(), "1.2345");
  EXPECT_EQ(rt::ConvertToText(-0.5).view(), "-0.5");
  EXPECT_EQ(rt::ConvertToText(123456789012345.0).view(), "1.234567890123e+14");
  EXPECT_EQ(rt::ConvertToText(2.0 / 3.0).view(), "0.6666666666667");
  EXPECT_EQ(rt::ConvertToText(1e-5).view(), "1e-05");
  EXPECT_EQ(rt::ConvertToText(0.0).view(), "0");
}

TEST(ConvertToText, FloatsRoundToSixDigitsHalvesAwayFromZero) {
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Float(0.1f)).view(), "0.1");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Float(1.2345f)).view(), "1.2345");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Float(3.14159265f)).view(), "3.14159");
  // 1234565 is exact in a float: a plain "%.6g" would round the tie to even.
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Float(1234565.0f)).view(), "1.23457e+06");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Float(-1234565.0f)).view(), "-1.23457e+06");
}

TEST(ConvertToText, IntegersAndBooleans) {
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Of(rt::type::Byte, 0x1FF)).view(), "255");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Of(rt::type::Short, 0xFFFF)).view(), "-1");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Int(INT32_MIN)).view(), "-2147483648");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Int64(-9000000000LL)).view(), "-9000000000");
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Bool(true)).view(), Gbk("真"));
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Of(rt::type::Bool, 2)).view(), Gbk("真"));
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Bool(false)).view(), Gbk("假"));
}

TEST(ConvertToText, DateTimesShowOnlyTheTimePartsThatAreSet) {
  EXPECT_EQ(rt::ConvertToText(DateTime(0)).view(), Gbk("1899年12月30日"));
  EXPECT_EQ(rt::ConvertToText(DateTime(45000.5)).view(), Gbk("2023年3月15日12时"));
  EXPECT_EQ(rt::ConvertToText(DateTime(45000 + Clock(18, 30, 0))).view(),
            Gbk("2023年3月15日18时30分"));
  EXPECT_EQ(rt::ConvertToText(DateTime(45000 + Clock(1, 0, 3))).view(),
            Gbk("2023年3月15日1时0分3秒"));
  EXPECT_EQ(rt::ConvertToText(DateTime(45000 + Clock(0, 5, 0))).view(), Gbk("2023年3月15日0时5分"));
  // Before day 0 the fraction still counts forward from midnight.
  EXPECT_EQ(rt::ConvertToText(DateTime(-1.25)).view(), Gbk("1899年12月29日6时"));
  EXPECT_EQ(rt::ConvertToText(DateTime(1e9)).view(), Gbk("9999年12月31日"));
  EXPECT_EQ(rt::ConvertToText(DateTime(-1e9)).view(), Gbk("100年1月1日"));
}

TEST(ConvertToText, BlocksGiveTheirBytesUpToTheFirstZero) {
  std::string text = "copy me";
  rt::Text copy = rt::ConvertToText(ValueRecord::Text(text.c_str()));
  EXPECT_EQ(copy.view(), text);
  EXPECT_NE(copy.get(), text.c_str());
  EXPECT_EQ(rt::ConvertToText(ValueRecord::Text(nullptr)).get(), nullptr);

  rt::ByteSet with_zero = rt::ByteSet::Copy("ab\0cd", 5);
  EXPECT_EQ(rt::ConvertToText(ValueRecord::ByteSet(with_zero.get())).view(), "ab");
  rt::ByteSet plain = rt::ByteSet::Copy("abc", 3);
  EXPECT_EQ(rt::ConvertToText(ValueRecord::ByteSet(plain.get())).view(), "abc");
  rt::ByteSet leading_zero = rt::ByteSet::Copy("\0x", 2);
  EXPECT_EQ(rt::ConvertToText(ValueRecord::ByteSet(leading_zero.get())).get(), nullptr);

  // An array of Int members: its raw bytes are the text.
  unsigned char array[16] = {1, 0, 0, 0, 2, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 0, 'f', 0};
  ValueRecord members = ValueRecord::Pointer(rt::type::Int | rt::RefFlag, array);
  EXPECT_EQ(rt::ConvertToText(members).view(), "abcde");
}

}  // namespace
