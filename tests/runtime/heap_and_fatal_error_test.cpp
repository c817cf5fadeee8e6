#include <sys/resource.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/constant_pool.h"
#include "runtime/fatal_error.h"
#include "runtime/heap.h"
#include "tests/runtime/gbk_text.h"

namespace {

using rt_test::Gbk;

TEST(RuntimeHeap, FreeIgnoresNullAndConstantPointers) {
  const char* literal = rt::Literal("常量");
  rt::RtFree(nullptr);
  rt::RtFree(const_cast<char*>(literal));
  rt::RtFree(const_cast<char*>(rt::EmptyText()));
  EXPECT_EQ(std::string(literal), Gbk("常量"));
  EXPECT_EQ(rt::Literal("常量"), literal);
}

TEST(RuntimeHeap, ResizingAConstantGivesAPrivateCopy) {
  const char* literal = rt::Literal("abc");
  auto* copy = static_cast<char*>(rt::RtRealloc(const_cast<char*>(literal), 8));
  EXPECT_NE(copy, literal);
  EXPECT_FALSE(rt::InConstantPool(copy));
  EXPECT_STREQ(copy, "abc");
  copy[0] = 'X';
  EXPECT_STREQ(literal, "abc");
  rt::RtFree(copy);

  auto* fresh = static_cast<char*>(rt::RtRealloc(nullptr, 4));
  ASSERT_NE(fresh, nullptr);
  std::memcpy(fresh, "xyz", 4);
  fresh = static_cast<char*>(rt::RtRealloc(fresh, 4096));
  EXPECT_STREQ(fresh, "xyz");
  rt::RtFree(fresh);
}

TEST(FatalErrorText, HeadingNumberAndMessageBlocks) {
  std::string heading = Gbk("运行时出错!") + "\r\n\r\n";
  EXPECT_EQ(rt::FatalErrorText("", 0), heading);
  EXPECT_EQ(rt::FatalErrorText(nullptr, 0), heading);
  EXPECT_EQ(rt::FatalErrorText(rt::Literal("坏"), 0), heading + Gbk("错误信息：坏") + "\r\n");
  EXPECT_EQ(rt::FatalErrorText("", -7), heading + Gbk("错误代码：") + "-7\r\n\r\n");
  EXPECT_EQ(rt::FatalErrorText(rt::Literal("坏"), 5),
            heading + Gbk("错误代码：") + "5\r\n\r\n" + Gbk("错误信息：坏") + "\r\n");
}

TEST(FatalErrorDeathTest, NumberedErrorShowsBothBlocksInOrder) {
  EXPECT_EXIT(rt::RaiseRuntimeError(1), testing::ExitedWithCode(255),
              "^运行时出错!\n\n错误代码：1\n\n错误信息：数组成员引用下标超出定义范围\n$");
  EXPECT_EXIT(rt::RaiseRuntimeError(5), testing::ExitedWithCode(255),
              "错误信息：数据或数组类型不匹配");
}

TEST(FatalErrorDeathTest, EmptyErrorShowsOnlyTheHeading) {
  EXPECT_EXIT(rt::ReportFatalError("", 0), testing::ExitedWithCode(255), "^运行时出错!\n\n$");
}

TEST(FatalErrorDeathTest, AllocationFailureNamesTheSize) {
  EXPECT_EXIT(rt::RtAlloc(-100), testing::ExitedWithCode(255),
              "^运行时出错!\n\n错误信息：分配 -100 字节内存失败!\n$");
#if !defined(__SANITIZE_ADDRESS__)
  // A real exhaustion: the child may not map more than 256 MiB.
  auto exhaust = [] {
    rlimit limit{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &limit);
    rt::RtAlloc(2000000000);
  };
  EXPECT_EXIT(exhaust(), testing::ExitedWithCode(255), "错误信息：分配 2000000000 字节内存失败!");
#endif
}

}  // namespace
