// The replacement modules built into the program and what each exports.
#pragma once

#include <span>

#include "win32_types.h"

namespace platform {

struct ModuleExport {
  const char* name;
  WORD ordinal;
  FARPROC address;
};

struct BuiltinModule {
  const char* file_name;  // lower case with extension, e.g. "kernel32.dll"
  std::span<const ModuleExport> exports;
};

std::span<const BuiltinModule> BuiltinModules();

}  // namespace platform
