// The program's table of platform library functions and their lazy binding:
// the first call of an entry loads its library and looks the export up, later
// calls only read the cached address. Binding takes no lock; two threads that
// bind one entry at once both load the library and store the same address.
#include "runtime/platform_functions.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>

#include "loader.h"
#include "runtime/constant_pool.h"
#include "runtime/fatal_error.h"

namespace rt {

const PlatformFunctionEntry PlatformFunctionTable[kPlatformFunctionCount] = {
    {"", "CreateThread"},
    {"Winhttp.dll", "WinHttpCheckPlatform"},
    {"Winhttp.dll", "WinHttpCrackUrl"},
    {"Winhttp.dll", "WinHttpOpen"},
    {"Winhttp.dll", "WinHttpConnect"},
    {"Winhttp.dll", "WinHttpOpenRequest"},
    {"Winhttp.dll", "WinHttpSetTimeouts"},
    {"Winhttp.dll", "WinHttpSetCredentials"},
    {"Winhttp.dll", "WinHttpCloseHandle"},
    {"Winhttp.dll", "WinHttpSetOption"},
    {"Winhttp.dll", "WinHttpAddRequestHeaders"},
    {"Winhttp.dll", "WinHttpSendRequest"},
    {"Winhttp.dll", "WinHttpReceiveResponse"},
    {"Winhttp.dll", "WinHttpQueryDataAvailable"},
    {"Winhttp.dll", "WinHttpReadData"},
    {"Winhttp.dll", "WinHttpQueryHeaders"},
    {"ole32.dll", "CoInitialize"},
    {"ole32.dll", "CoUninitialize"},
    {"", "MultiByteToWideChar"},
    {"kernel32.dll", "WideCharToMultiByte"},
    {"kernel32.dll", "WideCharToMultiByte"},
};

const char* const SystemLibrarySearchList[6] = {
    "Kernel32.dll", "Gdi32.dll", "User32.dll", "Advapi32.dll", "Mpr.dll", "Shell32.dll",
};

constinit PlatformBinding program_platform_bindings[kPlatformFunctionCount];

namespace {

// "#12" names ordinal 12 (as atoi reads it, low 16 bits kept); anything else
// is looked up by name.
LPCSTR LookupKey(const char* export_name) {
  if (export_name[0] != '#') return export_name;
  auto ordinal = static_cast<uintptr_t>(std::atoi(export_name + 1)) & 0xFFFF;
  return reinterpret_cast<LPCSTR>(ordinal);
}

// A name without a drive is looked for in the program's folder first, then
// through the loader's own search; a name with a drive only as written. Where
// folders are separated by "/", a name holding one is a path and is also
// loaded only as written.
HMODULE LoadDeclaredLibrary(const char* library) {
  const bool path =
      std::strchr(library, ':') || (platform::kFolderSeparator == '/' && std::strchr(library, '/'));
  if (!path) {
    std::string local = platform::ProgramFolder() + platform::kFolderSeparator + library;
    if (HMODULE module = LoadLibraryA(local.c_str())) return module;
  }
  return LoadLibraryA(library);
}

// Fills each "%s" of a GBK pattern in turn (GBK trail bytes never equal '%').
std::string FillIn(std::string_view pattern, std::initializer_list<const char*> values) {
  std::string text;
  auto value = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.substr(i, 2) == "%s" && value != values.end()) {
      text += *value++;
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

[[noreturn]] void ReportUnbound(const char* library, const char* export_name) {
  std::string message =
      *library
          ? FillIn(Literal("无法找到指定DLL库文件“%s”中的输出命令“%s”"), {library, export_name})
          : FillIn(Literal("无法找到指定DLL库文件中的输出命令“%s”"), {export_name});
  ReportFatalError(message.c_str(), 0);
}

}  // namespace

FARPROC BindPlatformFunction(std::span<const PlatformFunctionEntry> table,
                             std::span<PlatformBinding> state, int index) {
  if (index < 0 || static_cast<size_t>(index) >= table.size() ||
      static_cast<size_t>(index) >= state.size()) {
    RaiseRuntimeError(1);  // an entry index outside the table
  }
  PlatformBinding& binding = state[index];
  if (FARPROC address = binding.address.load(std::memory_order_acquire)) return address;

  const char* library = table[index].library ? table[index].library : "";
  const char* export_name = table[index].export_name ? table[index].export_name : "";
  LPCSTR key = LookupKey(export_name);
  HMODULE module = nullptr;
  FARPROC address = nullptr;
  if (*library == '\0') {
    for (const char* candidate : SystemLibrarySearchList) {
      module = LoadLibraryA(candidate);
      if (!module) continue;
      address = GetProcAddress(module, key);
      if (address) break;
      FreeLibrary(module);
      module = nullptr;
    }
  } else {
    module = LoadDeclaredLibrary(library);
    if (module) address = GetProcAddress(module, key);
  }
  if (!address) {
    if (module) FreeLibrary(module);
    ReportUnbound(library, export_name);
  }
  // The module first: whoever sees the address may release the module.
  binding.module.store(module, std::memory_order_release);
  binding.address.store(address, std::memory_order_release);
  return address;
}

FARPROC BindPlatformFunction(int index) {
  // The libraries bound for the program are released when a fatal error ends it.
  static std::once_flag registered;
  std::call_once(registered, [] { AddShutdownStep([] { ReleasePlatformLibraries(); }); });
  return BindPlatformFunction(PlatformFunctionTable, program_platform_bindings, index);
}

void ReleasePlatformLibraries(std::span<PlatformBinding> state) {
  for (PlatformBinding& binding : state) {
    // The address goes first so that a later call binds again instead of
    // jumping into a library that may be gone.
    binding.address.store(nullptr, std::memory_order_release);
    if (HMODULE module = binding.module.exchange(nullptr, std::memory_order_acq_rel)) {
      FreeLibrary(module);
    }
  }
}

void ReleasePlatformLibraries() {
  ReleasePlatformLibraries(program_platform_bindings);
}

}  // namespace rt
