// Commands whose parameters need a number: the six numeric types are read as
// numbers, an omitted argument takes its default, and anything else (a text,
// a byte set, a truth value, a date) ends the program with the runtime's
// message instead of being read as the bits of a pointer.
#include <gtest/gtest.h>

#include "runtime/call_frame.h"
#include "runtime/core_commands.h"
#include "runtime/owned.h"

namespace {

using rt::ValueRecord;

constexpr const char* kNotNumeric = "欲转换数据类型不是数值";

rt::Text CallTextLeft(ValueRecord count) {
  ValueRecord args[] = {ValueRecord::Text("abcdef"), count};
  return rt::Text(reinterpret_cast<char*>(rt::CallCommand(rt::cmd::TextLeft, args, 2).value));
}

TEST(NumberArguments, EveryNumericTypeIsReadAsANumber) {
  ValueRecord byte = ValueRecord::Of(rt::type::Byte, 0x302);  // only the low byte counts
  ValueRecord short_value = ValueRecord::Of(rt::type::Short, 3);
  EXPECT_EQ(CallTextLeft(byte).str(), "ab");
  EXPECT_EQ(CallTextLeft(short_value).str(), "abc");
  EXPECT_EQ(CallTextLeft(ValueRecord::Int(4)).str(), "abcd");
  EXPECT_EQ(CallTextLeft(ValueRecord::Int64(5)).str(), "abcde");
  EXPECT_EQ(CallTextLeft(ValueRecord::Float(1.9f)).str(), "a");
  EXPECT_EQ(CallTextLeft(ValueRecord::Double(2.9)).str(), "ab");
}

TEST(NumberArguments, OmittedArgumentsKeepTheirDefaults) {
  // SplitText: maximum omitted is unlimited; ReplaceText: start 1, count unlimited.
  ValueRecord split[] = {ValueRecord::Text("a,b,c"), ValueRecord{}, ValueRecord{}};
  rt::TextArray parts(reinterpret_cast<void*>(rt::CallCommand(rt::cmd::SplitText, split, 3).value));
  EXPECT_EQ(parts.size(), 3);
  ValueRecord replace[] = {ValueRecord::Text("a~b~c"),
                           ValueRecord::Text("~"),
                           ValueRecord::Text("-"),
                           ValueRecord{},
                           ValueRecord{},
                           ValueRecord::Bool(true)};
  rt::Text replaced(
      reinterpret_cast<char*>(rt::CallCommand(rt::cmd::ReplaceText, replace, 6).value));
  EXPECT_EQ(replaced.str(), "a-b-c");
}

TEST(NumberArguments, TruthValueParametersStillTakeBoolAndNumbers) {
  ValueRecord exact[] = {ValueRecord::Text("aB"), ValueRecord::Text("Ab"), ValueRecord::Bool(true)};
  EXPECT_NE(static_cast<int32_t>(rt::CallCommand(rt::cmd::CompareText, exact, 3).value), 0);
  ValueRecord folded[] = {ValueRecord::Text("aB"), ValueRecord::Text("Ab"), ValueRecord::Int(0)};
  EXPECT_EQ(static_cast<int32_t>(rt::CallCommand(rt::cmd::CompareText, folded, 3).value), 0);
}

TEST(NumberArgumentsDeathTest, NonNumericValuesEndTheProgram) {
  const unsigned char bytes[] = {1, 0, 0, 0, 1, 0, 0, 0, 7};
  ValueRecord date = ValueRecord::Double(3.0);
  date.type = rt::type::DateTime;
  EXPECT_EXIT(CallTextLeft(ValueRecord::Text("3")), testing::ExitedWithCode(255), kNotNumeric);
  EXPECT_EXIT(CallTextLeft(ValueRecord::ByteSet(bytes)), testing::ExitedWithCode(255), kNotNumeric);
  EXPECT_EXIT(CallTextLeft(ValueRecord::Bool(true)), testing::ExitedWithCode(255), kNotNumeric);
  EXPECT_EXIT(CallTextLeft(date), testing::ExitedWithCode(255), kNotNumeric);

  ValueRecord split[] = {ValueRecord::Text("a,b"), ValueRecord::Text(","), ValueRecord::Text("1")};
  EXPECT_EXIT(rt::CallCommand(rt::cmd::SplitText, split, 3), testing::ExitedWithCode(255),
              kNotNumeric);
  ValueRecord bits[] = {ValueRecord::Int(1), ValueRecord::Text("2")};
  EXPECT_EXIT(rt::CallCommand(rt::cmd::BitOr, bits, 2), testing::ExitedWithCode(255), kNotNumeric);
  ValueRecord blank[] = {ValueRecord::ByteSet(bytes)};
  EXPECT_EXIT(rt::CallCommand(rt::cmd::BlankByteSet, blank, 1), testing::ExitedWithCode(255),
              kNotNumeric);
  ValueRecord pointer[] = {ValueRecord::Text("x"), ValueRecord::Int(1)};
  EXPECT_EXIT(rt::CallCommand(rt::cmd::PointerToByteSet, pointer, 2), testing::ExitedWithCode(255),
              kNotNumeric);
  ValueRecord data[] = {ValueRecord::ByteSet(bytes), ValueRecord::Int(1), ValueRecord::Text("1")};
  EXPECT_EXIT(rt::CallCommand(rt::cmd::ByteSetData, data, 3), testing::ExitedWithCode(255),
              kNotNumeric);
}

}  // namespace
