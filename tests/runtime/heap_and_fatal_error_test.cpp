#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "runtime/gbk.h"
#include "runtime/heap.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/wine_difference.h"

namespace {

using test::Gbk;

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
  EXPECT_EXIT(rt::RaiseRuntimeError(1), testing::ExitedWithCode(test::FatalExitCode()),
              "^运行时出错!\n\n错误代码：1\n\n错误信息：数组成员引用下标超出定义范围\n$");
  EXPECT_EXIT(rt::RaiseRuntimeError(5), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：数据或数组类型不匹配");
}

TEST(FatalErrorDeathTest, EmptyErrorShowsOnlyTheHeading) {
  EXPECT_EXIT(rt::ReportFatalError("", 0), testing::ExitedWithCode(test::FatalExitCode()),
              "^运行时出错!\n\n$");
}

TEST(FatalErrorDeathTest, AllocationFailureNamesTheSize) {
  EXPECT_EXIT(rt::RtAlloc(-100), testing::ExitedWithCode(test::FatalExitCode()),
              "^运行时出错!\n\n错误信息：分配 -100 字节内存失败!\n$");
  // A real exhaustion, in a fresh child: it may not take more than 256 MiB,
  // or, where the address sanitizer owns the heap, that heap refuses any
  // block over 1 MiB and answers null (after a warning line of its own). On
  // Windows a job object sets the limit.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
#ifdef _WIN32
  if (test::KnownWineDifference(test::wine::kJobMemoryLimitIgnored)) return;
  auto exhaust = [] {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limit.ProcessMemoryLimit = 256u << 20;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    AssignProcessToJobObject(job, GetCurrentProcess());
    rt::RtAlloc(2000000000);
  };
  EXPECT_EXIT(exhaust(), testing::ExitedWithCode(test::FatalExitCode()),
              "运行时出错!\n\n错误信息：分配 2000000000 字节内存失败!\n$");
#else
  const char* options = std::getenv("ASAN_OPTIONS");
  const std::string saved = options ? options : "";
  setenv("ASAN_OPTIONS", (saved + ":allocator_may_return_null=1:max_allocation_size_mb=1").c_str(),
         1);
  auto exhaust = [] {
#if !defined(__SANITIZE_ADDRESS__)
    rlimit limit{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &limit);
#endif
    rt::RtAlloc(2000000000);
  };
  EXPECT_EXIT(exhaust(), testing::ExitedWithCode(test::FatalExitCode()),
              "运行时出错!\n\n错误信息：分配 2000000000 字节内存失败!\n$");
  if (options) {
    setenv("ASAN_OPTIONS", saved.c_str(), 1);
  } else {
    unsetenv("ASAN_OPTIONS");
  }
#endif
}

TEST(FatalErrorDeathTest, SizesPast32BitsAreReportedNotWrapped) {
  // 2^32 + 2 bytes would wrap to a 2-byte block that the copy then overruns.
  static const char kTwoBytes[] = "ab";
  std::string_view claimed(kTwoBytes, (size_t{1} << 32) + 1);  // refused before any byte is read
  EXPECT_EXIT(rt::NewText(claimed), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：分配 4294967298 字节内存失败!");
  EXPECT_EXIT(rt::RtAllocSize(size_t{1} << 31), testing::ExitedWithCode(test::FatalExitCode()),
              "错误信息：分配 2147483648 字节内存失败!");
}

// A window thread that shows the boxes of other threads and takes their
// requests only when it processes events, as the window layer does.
struct WindowThreadBoxes {
  std::mutex mutex;
  std::deque<std::function<void()>> tasks;
  std::thread::id window_thread;
  std::atomic<bool> box_requested{false};
};
WindowThreadBoxes boxes;

void WriteBox(const std::string& gbk_text) {
  std::string utf8 = rt::GbkToUtf8(gbk_text);
  ssize_t ignored = ::write(STDERR_FILENO, utf8.data(), utf8.size());
  (void)ignored;
}

void RunWindowTasks() {
  if (std::this_thread::get_id() != boxes.window_thread) return;
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard lock(boxes.mutex);
    tasks.swap(boxes.tasks);
  }
  for (auto& task : tasks) task();
}

void ShowOnWindowThread(const std::string& gbk_text, const std::string&) {
  if (std::this_thread::get_id() == boxes.window_thread) return WriteBox(gbk_text);
  std::promise<void> shown;
  {
    std::lock_guard lock(boxes.mutex);
    boxes.tasks.push_back([&] {
      WriteBox(gbk_text);
      shown.set_value();
    });
  }
  boxes.box_requested = true;
  shown.get_future().wait();
}

class FatalErrorThreadsDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalErrorThreadsDeathTest, LaterReporterLetsTheFirstBoxShowOnItsThread) {
  // A worker reports first and waits for its box on the window thread, which
  // then meets an error of its own: the worker's box shows and the process ends.
  auto race = [] {
    boxes.window_thread = std::this_thread::get_id();
    rt::SetPendingEventsPump(RunWindowTasks);
    rt::SetFatalErrorPresenter(ShowOnWindowThread);
    std::thread([] {
      std::this_thread::sleep_for(std::chrono::seconds(20));
      ssize_t ignored = ::write(STDERR_FILENO, "hung\n", 5);
      (void)ignored;
      _exit(3);
    }).detach();
    std::thread([] { rt::ReportFatalErrorUtf8("刷新线程出错", 0); }).detach();
    while (!boxes.box_requested) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    rt::RaiseRuntimeError(1);
  };
  EXPECT_EXIT(race(), testing::ExitedWithCode(test::FatalExitCode()),
              "^运行时出错!\r\n\r\n错误信息：刷新线程出错\r\n$");
}

}  // namespace
