// Library loading (LoadLibraryA, GetProcAddress, FreeLibrary) is the
// system's own; the program's folder is what our platform adds.
#pragma once

#include <string>

#include "win32_types.h"

namespace platform {

// The folder holding the running program, in the ANSI code page, without a
// trailing separator.
const std::string& ProgramFolder();

// What separates the folders of a path.
inline constexpr char kFolderSeparator = '\\';

}  // namespace platform
