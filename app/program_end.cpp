#include "app/program_end.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/fetch_url.h"
#include "runtime/platform_functions.h"
#include "ui/message_loop.h"

namespace app {
namespace {

int (*program_exit_code)() = nullptr;

[[noreturn]] void EndWithProgramExitCode() {
  EndProcess(program_exit_code());
}

}  // namespace

void EndProcess(int exit_code) {
  rt::CloseInternetSession();
  rt::ReleasePlatformLibraries();
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

void RunUntilWindowClosed(int (*exit_code)()) {
  program_exit_code = exit_code;
  ui::RunMessageLoop(EndWithProgramExitCode);
  EndWithProgramExitCode();
}

}  // namespace app
