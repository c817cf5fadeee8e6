// COM initialisation is per thread and counted: the first CoInitialize of a
// thread answers S_OK, nested ones S_FALSE, and each is undone by one
// CoUninitialize. Nothing else needs setting up for the objects we serve.
#include "ole32.h"

#include "ole32_state.h"

namespace {
thread_local int initialize_depth = 0;
}  // namespace

HRESULT CoInitialize(LPVOID) {
  return initialize_depth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  // An unbalanced call is harmless, as on the platform.
  if (initialize_depth > 0) --initialize_depth;
}

namespace platform {
int CoInitializeDepthForThisThread() {
  return initialize_depth;
}
}  // namespace platform
