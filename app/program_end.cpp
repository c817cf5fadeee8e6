#include "app/program_end.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/fetch_url.h"
#include "runtime/platform_functions.h"

namespace app {

void EndProcess(int exit_code) {
  rt::CloseInternetSession();
  rt::ReleasePlatformLibraries();
  std::fflush(nullptr);
  std::_Exit(exit_code);
}

}  // namespace app
