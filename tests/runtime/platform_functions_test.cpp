#include "runtime/platform_functions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "kernel32.h"
#include "loader.h"
#include "loader_stats.h"
#include "ole32_state.h"
#include "tests/support/wine_difference.h"
#include "user32.h"
#include "winhttp.h"

namespace {

using platform::LoaderCountsFor;
using platform::LoaderTotals;
using rt::BindPlatformFunction;
using rt::PlatformBinding;
using rt::PlatformFunctionEntry;
using testing::HasSubstr;

template <size_t N>
struct TestTable {
  std::array<PlatformFunctionEntry, N> entries;
  std::array<PlatformBinding, N> state{};
  FARPROC Bind(int index) { return BindPlatformFunction(entries, state, index); }
  ~TestTable() { rt::ReleasePlatformLibraries(state); }
};

template <class... Entries>
auto MakeTable(Entries... entries) {
  return TestTable<sizeof...(Entries)>{{entries...}};
}

template <class Fn>
FARPROC Address(Fn* function) {
  return reinterpret_cast<FARPROC>(function);
}

TEST(PlatformFunctionsTest, EveryProgramEntryBindsToTheExportItsRowNames) {
  const FARPROC expected[rt::kPlatformFunctionCount] = {
      Address(&CreateThread),
      Address(&WinHttpCheckPlatform),
      Address(&WinHttpCrackUrl),
      Address(&WinHttpOpen),
      Address(&WinHttpConnect),
      Address(&WinHttpOpenRequest),
      Address(&WinHttpSetTimeouts),
      Address(&WinHttpSetCredentials),
      Address(&WinHttpCloseHandle),
      Address(&WinHttpSetOption),
      Address(&WinHttpAddRequestHeaders),
      Address(&WinHttpSendRequest),
      Address(&WinHttpReceiveResponse),
      Address(&WinHttpQueryDataAvailable),
      Address(&WinHttpReadData),
      Address(&WinHttpQueryHeaders),
      Address(&CoInitialize),
      Address(&CoUninitialize),
      Address(&MultiByteToWideChar),
      Address(&WideCharToMultiByte),
      Address(&WideCharToMultiByte),
  };
  for (int index = 0; index < rt::kPlatformFunctionCount; ++index) {
    EXPECT_EQ(BindPlatformFunction(index), expected[index])
        << index << " " << rt::PlatformFunctionTable[index].export_name;
    EXPECT_NE(rt::ProgramBinding(index).module.load(), nullptr) << index;
  }
}

TEST(PlatformFunctionsTest, TypedCallsReachThePlatformFunction) {
  EXPECT_EQ(rt::CallPlatformFunction<rt::kWinHttpCheckPlatform>(), TRUE);
  int depth = platform::CoInitializeDepthForThisThread();
  rt::CallPlatformFunction<rt::kCoInitialize>(nullptr);
  EXPECT_EQ(platform::CoInitializeDepthForThisThread(), depth + 1);
  rt::CallPlatformFunction<rt::kCoUninitialize>();
  EXPECT_EQ(platform::CoInitializeDepthForThisThread(), depth);
  char16_t wide[3] = {};
  EXPECT_EQ(rt::CallPlatformFunction<rt::kMultiByteToWideChar>(936u, 0u, "\xD6\xD0", -1, wide, 3),
            2);
  EXPECT_EQ(wide[0], u'中');
}

TEST(PlatformFunctionsTest, FirstCallLoadsLaterCallsOnlyRead) {
  auto table = MakeTable(PlatformFunctionEntry{"ole32.dll", "CoInitialize"});
  auto before = LoaderCountsFor("ole32");
  FARPROC first = table.Bind(0);
  EXPECT_EQ(first, Address(&CoInitialize));
  auto bound = LoaderCountsFor("ole32");
  EXPECT_EQ(bound.loads - before.loads, 1);
  EXPECT_EQ(bound.lookups - before.lookups, 1);
  HMODULE module = table.state[0].module.load();
  ASSERT_NE(module, nullptr);

  auto totals = LoaderTotals();
  EXPECT_EQ(table.Bind(0), first);
  auto again = LoaderTotals();
  EXPECT_EQ(again.loads, totals.loads);
  EXPECT_EQ(again.failed_loads, totals.failed_loads);
  EXPECT_EQ(again.lookups, totals.lookups);
  EXPECT_EQ(table.state[0].module.load(), module);
}

TEST(PlatformFunctionsTest, EntriesNamingOneExportBindSeparately) {
  auto table = MakeTable(PlatformFunctionEntry{"kernel32.dll", "WideCharToMultiByte"},
                         PlatformFunctionEntry{"kernel32.dll", "WideCharToMultiByte"});
  auto before = LoaderCountsFor("kernel32");
  EXPECT_EQ(table.Bind(0), Address(&WideCharToMultiByte));
  EXPECT_EQ(LoaderCountsFor("kernel32").loads - before.loads, 1);
  EXPECT_EQ(table.Bind(1), Address(&WideCharToMultiByte));
  EXPECT_EQ(LoaderCountsFor("kernel32").loads - before.loads, 2);
  table.Bind(0);
  table.Bind(1);
  EXPECT_EQ(LoaderCountsFor("kernel32").loads - before.loads, 2);

  // Each entry gives back its own load, once.
  rt::ReleasePlatformLibraries(table.state);
  EXPECT_EQ(LoaderCountsFor("kernel32").releases - before.releases, 2);
  rt::ReleasePlatformLibraries(table.state);
  EXPECT_EQ(LoaderCountsFor("kernel32").releases - before.releases, 2);
}

TEST(PlatformFunctionsTest, EmptyLibraryNameSearchesTheSystemLibrariesInOrder) {
  auto table = MakeTable(PlatformFunctionEntry{"", "CharNextA"});
  auto kernel32 = LoaderCountsFor("kernel32");
  auto gdi32 = LoaderCountsFor("gdi32");
  auto user32 = LoaderCountsFor("user32");
  auto advapi32 = LoaderCountsFor("advapi32");
  EXPECT_EQ(table.Bind(0), Address(&CharNextA));
  // Kernel32 and Gdi32 were tried and released; User32 stays loaded.
  EXPECT_EQ(LoaderCountsFor("kernel32").loads - kernel32.loads, 1);
  EXPECT_EQ(LoaderCountsFor("kernel32").releases - kernel32.releases, 1);
  EXPECT_EQ(LoaderCountsFor("gdi32").loads - gdi32.loads, 1);
  EXPECT_EQ(LoaderCountsFor("gdi32").releases - gdi32.releases, 1);
  EXPECT_EQ(LoaderCountsFor("user32").loads - user32.loads, 1);
  EXPECT_EQ(LoaderCountsFor("user32").releases - user32.releases, 0);
  EXPECT_EQ(LoaderCountsFor("advapi32").loads - advapi32.loads, 0);
  HMODULE user32_module = LoadLibraryA("user32");
  EXPECT_EQ(table.state[0].module.load(), user32_module);
  FreeLibrary(user32_module);
}

TEST(PlatformFunctionsTest, ProgramFolderIsSearchedFirst) {
  // The folder holds a real shared object named like the built-in Mpr.dll,
  // which exports nothing: finding the export proves the folder won.
  auto table = MakeTable(PlatformFunctionEntry{"Mpr.dll", "QvTestModuleAnswer"});
  std::string local = platform::ProgramFolder() + "/Mpr.dll";
  auto builtin = LoaderCountsFor("mpr");
  auto before = LoaderCountsFor(local.c_str());
  auto answer = reinterpret_cast<int (*)()>(table.Bind(0));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(LoaderCountsFor(local.c_str()).loads - before.loads, 1);
  EXPECT_EQ(LoaderCountsFor("mpr").loads, builtin.loads);
}

TEST(PlatformFunctionsTest, OrdinalsAreReadAsAtoiLow16Bits) {
  HMODULE kernel32 = LoadLibraryA("kernel32");
  FARPROC ordinal_seven = GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(7));
  FreeLibrary(kernel32);
  ASSERT_NE(ordinal_seven, nullptr);
  auto table = MakeTable(PlatformFunctionEntry{"kernel32.dll", "#7"},
                         PlatformFunctionEntry{"kernel32.dll", "#65543"},  // 65536 + 7
                         PlatformFunctionEntry{"kernel32.dll", "#7x"});
  EXPECT_EQ(table.Bind(0), ordinal_seven);
  EXPECT_EQ(table.Bind(1), ordinal_seven);
  EXPECT_EQ(table.Bind(2), ordinal_seven);
}

TEST(PlatformFunctionsTest, ConcurrentFirstCallsAgree) {
  for (int round = 0; round < 50; ++round) {
    auto table = MakeTable(PlatformFunctionEntry{"", "MultiByteToWideChar"},
                           PlatformFunctionEntry{"ole32.dll", "CoUninitialize"});
    std::latch start(2);
    std::array<std::array<FARPROC, 2>, 2> seen{};
    auto bind = [&](int thread) {
      start.arrive_and_wait();
      seen[thread][0] = table.Bind(0);
      seen[thread][1] = table.Bind(1);
    };
    std::thread a(bind, 0), b(bind, 1);
    a.join();
    b.join();
    EXPECT_EQ(seen[0][0], Address(&MultiByteToWideChar));
    EXPECT_EQ(seen[1][0], Address(&MultiByteToWideChar));
    EXPECT_EQ(seen[0][1], Address(&CoUninitialize));
    EXPECT_EQ(seen[1][1], Address(&CoUninitialize));
    EXPECT_NE(table.state[0].module.load(), nullptr);
    EXPECT_NE(table.state[1].module.load(), nullptr);
  }
}

class PlatformBindingDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(PlatformBindingDeathTest, MissingLibraryEndsTheProgramNamingLibraryAndExport) {
  auto table = MakeTable(PlatformFunctionEntry{"NoSuchLibrary.dll", "WinHttpCheckPlatform"});
  EXPECT_EXIT(table.Bind(0), testing::ExitedWithCode(test::FatalExitCode()),
              HasSubstr("错误信息：无法找到指定DLL库文件“NoSuchLibrary.dll”中的输出命令"
                        "“WinHttpCheckPlatform”"));
}

TEST_F(PlatformBindingDeathTest, MissingExportNamesTheLibraryAsDeclared) {
  auto table = MakeTable(PlatformFunctionEntry{"Winhttp.dll", "WinHttpNoSuchCall"});
  EXPECT_EXIT(table.Bind(0), testing::ExitedWithCode(test::FatalExitCode()),
              HasSubstr("无法找到指定DLL库文件“Winhttp.dll”中的输出命令“WinHttpNoSuchCall”"));
}

TEST_F(PlatformBindingDeathTest, MissingOrdinalIsNamedWithItsHash) {
  auto table = MakeTable(PlatformFunctionEntry{"kernel32.dll", "#999"});
  EXPECT_EXIT(table.Bind(0), testing::ExitedWithCode(test::FatalExitCode()),
              HasSubstr("无法找到指定DLL库文件“kernel32.dll”中的输出命令“#999”"));
}

TEST_F(PlatformBindingDeathTest, EmptyLibraryNameUsesTheShortMessage) {
  auto table = MakeTable(PlatformFunctionEntry{"", "NoSuchCommand"});
  EXPECT_EXIT(table.Bind(0), testing::ExitedWithCode(test::FatalExitCode()),
              HasSubstr("错误信息：无法找到指定DLL库文件中的输出命令“NoSuchCommand”"));
}

TEST_F(PlatformBindingDeathTest, NameWithDriveIsLoadedOnlyAsWritten) {
  // The program folder holds Mpr.dll, but a name with a drive is not looked for there.
  auto table = MakeTable(PlatformFunctionEntry{"C:Mpr.dll", "QvTestModuleAnswer"});
  EXPECT_EXIT(table.Bind(0), testing::ExitedWithCode(test::FatalExitCode()),
              HasSubstr("无法找到指定DLL库文件“C:Mpr.dll”中的输出命令“QvTestModuleAnswer”"));
}

}  // namespace
