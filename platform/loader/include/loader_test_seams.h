// A setting that lets tests take a built-in module away from the loader.
// Production code never calls it.
#pragma once

namespace platform {

// While set, LoadLibraryA finds no module of this name (compared as the
// loader compares names) and fails as for a missing file; null gives it back.
void HideModuleForTests(const char* file_name);

}  // namespace platform
