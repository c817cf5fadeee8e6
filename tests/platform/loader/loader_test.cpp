#include "loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "kernel32.h"
#include "loader_stats.h"
#include "user32.h"
#include "winhttp.h"

namespace {

using platform::LoaderCountsFor;
using platform::ModuleReferenceCount;

std::string TestModulePath() {
  return platform::ProgramFolder() + "/Mpr.dll";
}

TEST(LoaderTest, ModuleNamesIgnoreCaseAndGainDll) {
  auto before = LoaderCountsFor("kernel32.dll");
  HMODULE plain = LoadLibraryA("kernel32");
  HMODULE upper = LoadLibraryA("KERNEL32.DLL");
  HMODULE mixed = LoadLibraryA("Kernel32.dll");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(upper, plain);
  EXPECT_EQ(mixed, plain);
  EXPECT_EQ(LoaderCountsFor("KERNEL32").loads - before.loads, 3);
  HMODULE winhttp = LoadLibraryA("Winhttp.dll");
  ASSERT_NE(winhttp, nullptr);
  EXPECT_NE(winhttp, plain);
  EXPECT_EQ(LoadLibraryA("winhttp"), winhttp);
  EXPECT_TRUE(FreeLibrary(winhttp));
  EXPECT_TRUE(FreeLibrary(winhttp));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(FreeLibrary(plain));
  EXPECT_EQ(LoaderCountsFor("kernel32.dll").releases - before.releases, 3);
}

TEST(LoaderTest, EveryPlatformModuleIsBuiltIn) {
  for (const char* name : {"kernel32", "user32", "gdi32", "advapi32", "mpr", "shell32", "ole32",
                           "oleaut32", "winhttp", "wininet"}) {
    HMODULE module = LoadLibraryA(name);
    EXPECT_NE(module, nullptr) << name;
    EXPECT_TRUE(FreeLibrary(module)) << name;
  }
}

TEST(LoaderTest, ReferencesAreCountedPerLoad) {
  HMODULE first = LoadLibraryA("ole32.dll");
  ASSERT_NE(first, nullptr);
  int base = ModuleReferenceCount(first);
  ASSERT_GE(base, 1);
  HMODULE second = LoadLibraryA("OLE32");
  EXPECT_EQ(ModuleReferenceCount(first), base + 1);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_EQ(ModuleReferenceCount(first), base);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_EQ(ModuleReferenceCount(first), base - 1);
}

TEST(LoaderTest, MissingModuleFailsWithModNotFound) {
  auto before = platform::LoaderTotals();
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("no_such_module.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA("/no/such/folder/kernel32.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  auto after = platform::LoaderTotals();
  EXPECT_EQ(after.loads, before.loads);
  EXPECT_GE(after.failed_loads - before.failed_loads, 2);
}

TEST(LoaderTest, ExportsAreFoundByNameAndOrdinal) {
  HMODULE kernel32 = LoadLibraryA("kernel32");
  ASSERT_NE(kernel32, nullptr);
  auto before = LoaderCountsFor("kernel32");
  FARPROC by_name = GetProcAddress(kernel32, "MultiByteToWideChar");
  EXPECT_EQ(by_name, reinterpret_cast<FARPROC>(&MultiByteToWideChar));
  EXPECT_EQ(GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(7)), by_name);
  EXPECT_EQ(LoaderCountsFor("kernel32").lookups - before.lookups, 2);

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel32, "multibytetowidechar"), nullptr);  // names keep their case
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(999)), nullptr);
  EXPECT_EQ(GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(0)), nullptr);
  EXPECT_TRUE(FreeLibrary(kernel32));

  HMODULE user32 = LoadLibraryA("USER32.dll");
  EXPECT_EQ(GetProcAddress(user32, "CharNextA"), reinterpret_cast<FARPROC>(&CharNextA));
  EXPECT_EQ(GetProcAddress(user32, "MultiByteToWideChar"), nullptr);
  EXPECT_TRUE(FreeLibrary(user32));
}

TEST(LoaderTest, WinHttpCheckPlatformIsExportedAndSaysYes) {
  HMODULE winhttp = LoadLibraryA("Winhttp.dll");
  ASSERT_NE(winhttp, nullptr);
  auto check = reinterpret_cast<decltype(&WinHttpCheckPlatform)>(
      GetProcAddress(winhttp, "WinHttpCheckPlatform"));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check(), TRUE);
  EXPECT_TRUE(FreeLibrary(winhttp));
}

TEST(LoaderTest, BadHandlesAreRefused) {
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetProcAddress(nullptr, "CreateThread"), nullptr);
  int not_a_module = 0;
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&not_a_module)));
}

TEST(LoaderTest, ProgramFolderHoldsThisProgram) {
  EXPECT_TRUE(std::filesystem::exists(platform::ProgramFolder() + "/platform_tests"));
}

TEST(LoaderTest, SharedObjectOnDiskLoadsThroughTheDynamicLoader) {
  std::string path = TestModulePath();
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LoadLibraryA(path.c_str()), module);
  EXPECT_EQ(ModuleReferenceCount(module), 2);
  auto answer = reinterpret_cast<int (*)()>(GetProcAddress(module, "QvTestModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  // Shared objects have no ordinals.
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(1)), nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(LoaderCountsFor(path.c_str()).loads, 2);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(ModuleReferenceCount(module), 0);
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(LoaderTest, FolderModuleIsNotTheBuiltInOneOfTheSameName) {
  HMODULE builtin = LoadLibraryA("Mpr.dll");
  HMODULE on_disk = LoadLibraryA(TestModulePath().c_str());
  ASSERT_NE(builtin, nullptr);
  ASSERT_NE(on_disk, nullptr);
  EXPECT_NE(builtin, on_disk);
  EXPECT_EQ(GetProcAddress(builtin, "QvTestModuleAnswer"), nullptr);
  EXPECT_NE(GetProcAddress(on_disk, "QvTestModuleAnswer"), nullptr);
  EXPECT_TRUE(FreeLibrary(on_disk));
  EXPECT_TRUE(FreeLibrary(builtin));
}

}  // namespace
