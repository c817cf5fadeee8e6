#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "runtime/app_routines.h"
#include "runtime/constant_pool.h"
#include "runtime/heap.h"
#include "tests/support/wine_difference.h"

namespace {

using namespace std::string_view_literals;

TEST(CompareTextRaw, NullIsTheEmptyTextAndBytesAreUnsigned) {
  EXPECT_EQ(rt::CompareTextRaw(nullptr, ""), 0);
  EXPECT_EQ(rt::CompareTextRaw(nullptr, "a"), -1);
  EXPECT_EQ(rt::CompareTextRaw("a", nullptr), 1);
  EXPECT_EQ(rt::CompareTextRaw("\x80", "a"), 1);
  EXPECT_EQ(rt::CompareTextRaw("ab", "abc"), -1);
  EXPECT_EQ(rt::CompareTextRaw("abd", "abc"), 1);
  EXPECT_EQ(rt::CompareTextRaw("abc", "abc"), 0);
  EXPECT_EQ(rt::TextByteLength(nullptr), 0);
  EXPECT_EQ(rt::TextByteLength("\xD6\xD0"), 2);
}

TEST(ConcatTexts, AlwaysGivesABlock) {
  rt::Text empty = rt::ConcatTexts({"", nullptr, rt::EmptyText()});
  ASSERT_NE(empty.get(), nullptr);
  EXPECT_FALSE(rt::InConstantPool(empty.get()));
  EXPECT_EQ(empty.get()[0], '\0');
  std::string left = "ab";
  rt::Text joined = rt::ConcatTexts({left, nullptr, "cd", ""});
  EXPECT_EQ(joined.view(), "abcd");
  EXPECT_EQ(left, "ab");
  rt::Text single = rt::ConcatTexts({left});
  EXPECT_NE(single.get(), left.c_str());
}

TEST(ConcatByteSets, SkipsEmptyPartsAndKeepsZeroBytes) {
  EXPECT_EQ(rt::ConcatByteSets({nullptr, rt::EmptyByteSet()}).get(), nullptr);
  EXPECT_EQ(rt::ConcatByteSets({}).get(), nullptr);
  rt::ByteSet a = rt::ByteSet::Copy("a\0", 2);
  rt::ByteSet b = rt::ByteSet::Copy("b", 1);
  rt::ByteSet joined = rt::ConcatByteSets({a, nullptr, rt::EmptyByteSet(), b});
  EXPECT_EQ(joined.view(), "a\0b"sv);
  int32_t header[2];
  std::memcpy(header, joined.get(), sizeof header);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 3);
  EXPECT_EQ(a.view(), "a\0"sv);
}

TEST(ConcatByteSetsDeathTest, TotalsPast32BitsAreRefusedBeforeCopying) {
  // Two counts of 2^31 - 1 and the header make 2^32 + 6 bytes: truncated to 32
  // bits that is a 6-byte block. Only the count words are read before refusing.
  int32_t claims[2] = {1, INT32_MAX};
  EXPECT_EXIT(rt::ConcatByteSets({claims, claims}), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：分配 4294967302 字节内存失败!");
}

TEST(TruncateToInt64, GoesTowardZero) {
  EXPECT_EQ(rt::TruncateToInt64(2.9), 2);
  EXPECT_EQ(rt::TruncateToInt64(-2.9), -2);
  EXPECT_EQ(rt::TruncateToInt64(-0.5), 0);
  EXPECT_EQ(rt::TruncateToInt64(9007199254740993.0), 9007199254740992LL);
  EXPECT_EQ(rt::TruncateToInt64(-9223372036854775808.0), INT64_MIN);
  EXPECT_EQ(rt::TruncateToInt64(1e300), INT64_MIN);
  EXPECT_EQ(rt::TruncateToInt64(std::numeric_limits<double>::quiet_NaN()), INT64_MIN);
}

// A heap block [dims][sizes...][text pointers].
void* NewTextArrayBlock(std::initializer_list<int32_t> sizes, int32_t members) {
  size_t header = 4 + 4 * sizes.size();
  auto* block = static_cast<unsigned char*>(
      rt::RtAlloc(static_cast<int32_t>(header + static_cast<size_t>(members) * sizeof(char*))));
  int32_t dims = static_cast<int32_t>(sizes.size());
  std::memcpy(block, &dims, 4);
  std::memcpy(block + 4, std::data(sizes), 4 * sizes.size());
  for (int32_t i = 0; i < members; ++i) {
    char* text = rt::NewText(std::string(1, static_cast<char>('a' + i)));
    rt::SetTextMember(block + header + static_cast<size_t>(i) * sizeof(char*), text);
  }
  return block;
}

TEST(AppendTextMember, MakesTheConstantEmptyArrayPrivate) {
  void* variable = const_cast<void*>(rt::EmptyArray());
  std::string source = "x";
  rt::AppendTextMember(&variable, source.c_str());
  rt::AppendTextMember(&variable, nullptr);
  rt::AppendTextMember(&variable, "");
  EXPECT_FALSE(rt::InConstantPool(variable));
  EXPECT_EQ(rt::ArrayCount(const_cast<void*>(rt::EmptyArray())).count, 0);  // the constant stays
  rt::ArrayInfo info = rt::ArrayCount(variable);
  ASSERT_EQ(info.count, 3);
  const char* first = rt::TextMember(info.members);
  EXPECT_STREQ(first, "x");
  EXPECT_NE(first, source.c_str());
  EXPECT_EQ(rt::TextMember(info.members + sizeof(char*)), nullptr);
  const char* third = rt::TextMember(info.members + 2 * sizeof(char*));
  ASSERT_NE(third, nullptr);  // an empty but present text is copied as a block
  EXPECT_EQ(third[0], '\0');
  rt::FreeTextArray(variable);
}

TEST(AppendTextMember, RewritesAMultiDimensionalHeader) {
  void* variable = NewTextArrayBlock({2, 2}, 4);
  rt::AppendTextMember(&variable, "e");
  int32_t header[2];
  std::memcpy(header, variable, sizeof header);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 5);
  rt::TextArray array(variable);
  EXPECT_EQ(array.ViewAt(1), "a");
  EXPECT_EQ(array.ViewAt(4), "d");
  EXPECT_EQ(array.ViewAt(5), "e");
}

TEST(MakeArrayPrivate, CopiesOnlyConstantBlocks) {
  void* variable = const_cast<void*>(rt::EmptyArray());
  rt::RuntimeService(rt::RuntimeServiceNumber::MakeArrayPrivate, sizeof(char*), &variable);
  EXPECT_FALSE(rt::InConstantPool(variable));
  EXPECT_EQ(std::memcmp(variable, rt::EmptyArray(), 8), 0);
  void* before = variable;
  rt::MakeArrayPrivate(sizeof(char*), &variable);
  EXPECT_EQ(variable, before);
  rt::RtFree(variable);
}

TEST(ArrayMemberDeathTest, IndexesOutsideTheArrayAreFatal) {
  rt::TextArray array;
  array.Append("only");
  void* block = array.get();
  EXPECT_EQ(rt::TextMember(rt::ArrayMember(block, 1, sizeof(char*))), array.At(1));
  EXPECT_EXIT(rt::ArrayMember(block, 0, sizeof(char*)),
              testing::ExitedWithCode(test::FatalExitCode()),
              "错误代码：4\n\n错误信息：数组成员引用下标必须大于等于1");
  EXPECT_EXIT(rt::ArrayMember(block, INT32_MIN, sizeof(char*)),
              testing::ExitedWithCode(test::FatalExitCode()), "错误代码：4");
  EXPECT_EXIT(rt::ArrayMember(block, 2, sizeof(char*)),
              testing::ExitedWithCode(test::FatalExitCode()),
              "错误代码：1\n\n错误信息：数组成员引用下标超出定义范围");
  EXPECT_EXIT(rt::ArrayMember(block, INT32_MAX, sizeof(char*)),
              testing::ExitedWithCode(test::FatalExitCode()), "错误代码：1");
  EXPECT_EXIT(rt::ArrayMember(nullptr, 1, sizeof(char*)),
              testing::ExitedWithCode(test::FatalExitCode()), "错误代码：1");
}

TEST(MultipleChoiceDeathTest, IndexMustNameAListedValue) {
  EXPECT_EQ(rt::MultipleChoice(1, 3), 1);
  EXPECT_EQ(rt::MultipleChoice(3, 3), 3);
  EXPECT_EXIT(rt::MultipleChoice(0, 3), testing::ExitedWithCode(test::FatalExitCode()),
              "错误代码：9");
  EXPECT_EXIT(rt::MultipleChoice(4, 3), testing::ExitedWithCode(test::FatalExitCode()),
              "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围");
}

}  // namespace
