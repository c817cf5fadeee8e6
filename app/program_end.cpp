#include "app/program_end.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/platform_functions.h"

namespace app {

void EndProcess() {
  rt::ReleasePlatformLibraries();
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace app
