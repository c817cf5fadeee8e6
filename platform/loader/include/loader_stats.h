// Counters of the loader, so callers can check how often modules were loaded,
// released and searched (binding caches are verified through them).
#pragma once

#include <cstdint>

#include "win32_types.h"

namespace platform {

struct LoaderCounts {
  int64_t loads = 0;         // successful LoadLibraryA calls
  int64_t failed_loads = 0;  // LoadLibraryA calls that found nothing
  int64_t releases = 0;      // successful FreeLibrary calls
  int64_t lookups = 0;       // GetProcAddress calls, found or not
};

// Since the process started, over all modules.
LoaderCounts LoaderTotals();
// For one module, named as LoadLibraryA would be given it.
LoaderCounts LoaderCountsFor(LPCSTR file_name);
// Outstanding loads of a module; 0 for a handle that is not (or no longer) loaded.
int ModuleReferenceCount(HMODULE module);

}  // namespace platform
