#include <string>

#include <gtest/gtest.h>

#include "runtime/constant_pool.h"
#include "runtime/owned.h"
#include "tests/support/wine_difference.h"

namespace {

TEST(TextArray, StartsAsTheConstantEmptyArray) {
  rt::TextArray array;
  EXPECT_EQ(array.get(), rt::EmptyArray());
  EXPECT_EQ(array.size(), 0);
  std::string source = "one";
  array.Append(source);
  array.Append(nullptr);
  EXPECT_FALSE(rt::InConstantPool(array.get()));
  ASSERT_EQ(array.size(), 2);
  EXPECT_EQ(array.ViewAt(1), "one");
  EXPECT_NE(array.At(1), source.c_str());
  EXPECT_EQ(array.At(2), nullptr);
}

TEST(TextArray, MovingHandsOverTheBlock) {
  rt::TextArray first;
  first.Append("a");
  void* block = first.get();
  rt::TextArray second(std::move(first));
  EXPECT_EQ(second.get(), block);
  EXPECT_EQ(first.size(), 0);  // NOLINT(bugprone-use-after-move): a moved-from owner is empty
  rt::TextArray third;
  third.Append("b");
  third = std::move(second);
  EXPECT_EQ(third.ViewAt(1), "a");
  rt::FreeTextArray(nullptr);
  rt::FreeTextArray(const_cast<void*>(rt::EmptyArray()));
  EXPECT_EQ(rt::ArrayCount(const_cast<void*>(rt::EmptyArray())).count, 0);
}

TEST(TextArrayDeathTest, AtChecksBothBounds) {
  rt::TextArray array;
  array.Append("x");
  EXPECT_EXIT(array.At(0), testing::ExitedWithCode(test::FatalExitCode()), "错误代码：4");
  EXPECT_EXIT(array.At(2), testing::ExitedWithCode(test::FatalExitCode()), "错误代码：1");
  rt::TextArray empty;
  EXPECT_EXIT(empty.At(1), testing::ExitedWithCode(test::FatalExitCode()), "错误代码：1");
}

}  // namespace
