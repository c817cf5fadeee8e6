#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "tests/support/wine_difference.h"

namespace {

using rt::ValueRecord;
using namespace std::string_view_literals;

rt::ByteSet Bytes(std::string_view bytes) {
  return rt::ByteSet::Copy(bytes.data(), bytes.size());
}

TEST(ByteSetCommands, LengthLeftAndBlank) {
  rt::ByteSet b = Bytes(std::string("a\0c", 3));
  EXPECT_EQ(rt::ByteSetLength(b), 3);
  EXPECT_EQ(rt::ByteSetLength(nullptr), 0);
  EXPECT_EQ(rt::ByteSetLength(rt::EmptyByteSet()), 0);
  EXPECT_EQ(rt::ByteSetLeft(b, 2).view(), std::string_view("a\0", 2));
  EXPECT_EQ(rt::ByteSetLeft(b, INT32_MAX).view(), std::string_view("a\0c", 3));
  EXPECT_EQ(rt::ByteSetLeft(b, 0).get(), nullptr);
  EXPECT_EQ(rt::ByteSetLeft(b, INT32_MIN).get(), nullptr);
  EXPECT_EQ(rt::ByteSetLeft(nullptr, 5).get(), nullptr);
  rt::ByteSet blank = rt::BlankByteSet(4);
  EXPECT_EQ(blank.view(), std::string_view("\0\0\0\0", 4));
  EXPECT_EQ(rt::BlankByteSet(0).get(), nullptr);
  EXPECT_EQ(rt::BlankByteSet(INT32_MIN).get(), nullptr);
}

TEST(ByteSetCommands, PointerToByteSetCopiesTheBytes) {
  char data[] = {'x', 0, 'y'};
  rt::ByteSet copy = rt::PointerToByteSet(data, 3);
  data[0] = 'z';
  EXPECT_EQ(copy.view(), std::string_view("x\0y", 3));
  int32_t header[2];
  std::memcpy(header, copy.get(), sizeof header);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 3);
  EXPECT_EQ(rt::PointerToByteSet(data, 0).get(), nullptr);
  EXPECT_EQ(rt::PointerToByteSet(data, -3).get(), nullptr);
}

TEST(ByteSetData, ShortDataIsZeroPadded) {
  rt::ByteSet two = Bytes("\x34\x12");
  ValueRecord value = rt::ByteSetData(two, 3);
  EXPECT_EQ(value.type, rt::type::Int);
  EXPECT_EQ(value.AsInt(), 0x1234);
  ValueRecord wide = rt::ByteSetData(Bytes("\x01\x02\x03"), 4);
  EXPECT_EQ(wide.type, rt::type::Int64);
  EXPECT_EQ(wide.AsInt64(), 0x030201);
  EXPECT_EQ(rt::ByteSetData(nullptr, 6).AsDouble(), 0.0);
}

TEST(ByteSetData, TypesAreReadAsDeclared) {
  EXPECT_EQ(rt::ByteSetData(Bytes("\xFF\xFF"), 2).AsInt(), -1);
  EXPECT_EQ(rt::ByteSetData(Bytes("\xFF\xFF"), 1).AsInt(), 255);
  ValueRecord flag = rt::ByteSetData(Bytes(std::string("\0\0\0\x02", 4)), 7);
  EXPECT_EQ(flag.type, rt::type::Bool);
  EXPECT_EQ(flag.AsInt(), 1);
  double far_future = 1e9;
  ValueRecord date = rt::ByteSetData(Bytes({reinterpret_cast<char*>(&far_future), 8}), 8);
  EXPECT_EQ(date.type, rt::type::DateTime);
  EXPECT_EQ(date.AsDouble(), 2958465.0);
  float half = 0.5f;
  EXPECT_EQ(rt::ByteSetData(Bytes({reinterpret_cast<char*>(&half), 4}), 5).AsFloat(), 0.5f);
}

TEST(ByteSetData, ByReferencePositionAdvancesOrBecomesMinusOne) {
  rt::ByteSet b = Bytes("\x01\0\0\0\x02\0\0\0"sv);
  int32_t position = 1;
  EXPECT_EQ(rt::ByteSetData(b, 3, &position).AsInt(), 1);
  EXPECT_EQ(position, 5);
  EXPECT_EQ(rt::ByteSetData(b, 3, &position).AsInt(), 2);
  EXPECT_EQ(position, -1);
  // -1 (or any position below 1) means nothing is left.
  EXPECT_EQ(rt::ByteSetData(b, 3, &position).AsInt(), 0);
  EXPECT_EQ(position, -1);
  position = INT32_MAX;
  EXPECT_EQ(rt::ByteSetData(b, 1, &position).AsInt(), 0);
  EXPECT_EQ(position, -1);
  // A position given by value is read but never written.
  EXPECT_EQ(rt::ByteSetData(b, 1, std::optional<int32_t>(5)).AsInt(), 2);
  EXPECT_EQ(rt::ByteSetData(b, 1, std::optional<int32_t>(0)).AsInt(), 0);
}

TEST(ByteSetData, TextStopsAtAZeroByteAndSkipsIt) {
  rt::ByteSet b = Bytes(std::string("ab\0cd", 5));
  int32_t position = 1;
  rt::Text first = rt::ByteSetDataAsText(b, &position);
  EXPECT_EQ(first.view(), "ab");
  EXPECT_EQ(position, 4);
  rt::Text second = rt::ByteSetDataAsText(b, &position);
  EXPECT_EQ(second.view(), "cd");
  EXPECT_EQ(position, -1);
  EXPECT_EQ(rt::ByteSetDataAsText(b, &position).get(), nullptr);
  // A zero byte as the very last byte still moves the position past the end.
  rt::ByteSet ends_with_zero = Bytes(std::string("ab\0", 3));
  position = 1;
  EXPECT_EQ(rt::ByteSetDataAsText(ends_with_zero, &position).view(), "ab");
  EXPECT_EQ(position, -1);
}

TEST(ByteSetDataDeathTest, OtherTypeNumbersAreFatal) {
  rt::ByteSet b = Bytes("abcd");
  EXPECT_EXIT(rt::ByteSetData(b, 11), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：“欲取出数据的类型”参数值无效");
  EXPECT_EXIT(rt::ByteSetData(b, 0), testing::ExitedWithCode(test::FatalExitCode()), "参数值无效");
}

TEST(ByteSetCommandsDeathTest, OversizedBlankByteSetNamesTheTrueSize) {
  // The count and the two header words do not fit a block's 32-bit size.
  EXPECT_EXIT(rt::BlankByteSet(INT32_MAX), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：分配 2147483655 字节内存失败!");
}

TEST(BitOr, CombinesEveryArgument) {
  EXPECT_EQ(rt::BitOr({1, 2, 4}), 7);
  EXPECT_EQ(rt::BitOr({0x50}), 0x50);
  EXPECT_EQ(rt::BitOr({INT32_MIN, 1}), INT32_MIN | 1);
}

int pumped = 0;
void CountPump() {
  ++pumped;
}

TEST(ProcessPendingEvents, CallsTheInstalledPumpOnly) {
  pumped = 0;
  rt::ProcessPendingEvents();
  EXPECT_EQ(pumped, 0);
  rt::SetPendingEventsPump(CountPump);
  rt::ProcessPendingEvents();
  EXPECT_EQ(pumped, 1);
  rt::SetPendingEventsPump(nullptr);
  rt::ProcessPendingEvents();
  EXPECT_EQ(pumped, 1);
}

}  // namespace
