// Library loading: built-in replacement modules found by name, anything else
// through the system's dynamic loader. Handles are reference-counted: every
// successful LoadLibraryA needs its own FreeLibrary.
#pragma once

#include <string>

#include "win32_types.h"

// Module names ignore case and get ".dll" when they have no extension, so
// "KERNEL32", "kernel32.dll" and "Kernel32.DLL" name one module. A name with a
// "/" (a path) or one that is not built in goes to dlopen. ERROR_MOD_NOT_FOUND
// on failure.
HMODULE LoadLibraryA(LPCSTR file_name);
// `proc_name` values up to 0xFFFF are ordinals, as on the original platform;
// ordinals exist only for built-in modules. ERROR_PROC_NOT_FOUND on failure.
FARPROC GetProcAddress(HMODULE module, LPCSTR proc_name);
BOOL FreeLibrary(HMODULE module);

namespace platform {

// The folder holding the running program (no trailing "/"), from /proc/self/exe.
const std::string& ProgramFolder();

// What separates the folders of a path.
inline constexpr char kFolderSeparator = '/';

}  // namespace platform
