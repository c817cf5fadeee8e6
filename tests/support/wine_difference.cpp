#include "tests/support/wine_difference.h"

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace test {

bool RunningUnderWine() {
#ifdef _WIN32
  // Wine's ntdll exports its version; Windows' does not.
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
  }();
  return wine;
#else
  return false;
#endif
}

bool KnownWineDifference(const char* difference) {
  if (!RunningUnderWine()) return false;
  testing::Test::RecordProperty("wine_difference", difference);
  std::printf("[ WINE DIFF ] %s\n", difference);
  std::fflush(stdout);
  return true;
}

int FatalExitCode() {
#ifdef _WIN32
  return -1;
#else
  return 255;
#endif
}

}  // namespace test
