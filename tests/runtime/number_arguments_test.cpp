// A parameter that needs a number takes any of the six numeric types; a text,
// byte set, truth value or date ends the program with the runtime's message
// instead of being read as the bits of a pointer.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/call_frame.h"
#include "runtime/core_commands.h"
#include "runtime/owned.h"
#include "tests/support/wine_difference.h"

namespace {

using rt::ValueRecord;

TEST(NumberArguments, NumericTypesAreNumbersAndTruthValuesStayFlags) {
  for (const ValueRecord& count : {ValueRecord::Of(rt::type::Byte, 0x302), ValueRecord::Int64(2),
                                   ValueRecord::Double(2.9), ValueRecord::Float(2.5f)}) {
    ValueRecord args[] = {ValueRecord::Text("abcdef"), count};
    rt::Text left(reinterpret_cast<char*>(rt::CallCommand(rt::cmd::TextLeft, args, 2).value));
    EXPECT_EQ(left.str(), "ab") << std::hex << count.type;
  }
  // A Bool parameter still takes a Bool.
  ValueRecord compare[] = {ValueRecord::Text("aB"), ValueRecord::Text("Ab"),
                           ValueRecord::Bool(true)};
  EXPECT_NE(static_cast<int32_t>(rt::CallCommand(rt::cmd::CompareText, compare, 3).value), 0);
}

TEST(NumberArgumentsDeathTest, NonNumbersEndTheProgram) {
  static const unsigned char bytes[] = {1, 0, 0, 0, 1, 0, 0, 0, 7};
  ValueRecord date = ValueRecord::Double(3.0);
  date.type = rt::type::DateTime;
  struct Call {
    rt::CommandFn command;
    std::vector<ValueRecord> args;
  };
  const Call calls[] = {
      {rt::cmd::TextLeft, {ValueRecord::Text("abc"), ValueRecord::Text("2")}},
      {rt::cmd::TextLeft, {ValueRecord::Text("abc"), ValueRecord::ByteSet(bytes)}},
      {rt::cmd::TextLeft, {ValueRecord::Text("abc"), ValueRecord::Bool(true)}},
      {rt::cmd::TextLeft, {ValueRecord::Text("abc"), date}},
      {rt::cmd::SplitText,
       {ValueRecord::Text("a,b"), ValueRecord::Text(","), ValueRecord::Text("1")}},
      {rt::cmd::BitOr, {ValueRecord::Int(1), ValueRecord::Text("2")}},
      {rt::cmd::PointerToByteSet, {ValueRecord::Text("x"), ValueRecord::Int(1)}},
      {rt::cmd::ByteSetData,
       {ValueRecord::ByteSet(bytes), ValueRecord::Int(1), ValueRecord::Text("1")}},
  };
  for (const Call& call : calls) {
    std::vector<ValueRecord> args = call.args;
    EXPECT_EXIT(rt::CallCommand(call.command, args.data(), static_cast<int32_t>(args.size())),
                testing::ExitedWithCode(test::FatalExitCode()), "欲转换数据类型不是数值");
  }
}

}  // namespace
