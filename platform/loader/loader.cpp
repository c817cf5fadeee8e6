// LoadLibraryA / GetProcAddress / FreeLibrary over the built-in module table
// and dlopen. Loading is rare (binding happens once per entry), so one lock
// guards the module list and the counters.
#include "loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "builtin_modules.h"
#include "kernel32.h"
#include "loader_stats.h"
#include "loader_test_seams.h"

struct PlatformModule {
  std::string key;  // what the counters are filed under
  const platform::BuiltinModule* builtin = nullptr;
  void* library = nullptr;  // dlopen handle when not built in
  int references = 0;
};

namespace platform {
namespace {

struct LoaderState {
  // Recursive: a library's constructors, run inside dlopen, may load others.
  std::recursive_mutex mutex;
  std::vector<std::unique_ptr<PlatformModule>> modules;  // loaded ones
  std::map<std::string, LoaderCounts, std::less<>> counts;
  LoaderCounts totals;
  std::string hidden;  // the key of a module tests took away, or ""
};

LoaderState& State() {
  static LoaderState state;
  return state;
}

bool IsPath(std::string_view name) {
  return name.find('/') != std::string_view::npos;
}

// Lower case, a trailing "." dropped, ".dll" added when there is no extension.
std::string BuiltinKey(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (!key.empty() && key.back() == '.') {
    key.pop_back();
  } else if (key.find('.') == std::string::npos) {
    key += ".dll";
  }
  return key;
}

const BuiltinModule* FindBuiltin(std::string_view name) {
  if (IsPath(name)) return nullptr;
  std::string key = BuiltinKey(name);
  for (const BuiltinModule& module : BuiltinModules()) {
    if (key == module.file_name) return &module;
  }
  return nullptr;
}

std::string CountsKey(std::string_view name) {
  return FindBuiltin(name) ? BuiltinKey(name) : std::string(name);
}

PlatformModule* FindLoaded(LoaderState& state, HMODULE handle) {
  for (auto& module : state.modules) {
    if (module.get() == handle) return module.get();
  }
  return nullptr;
}

PlatformModule* AddReference(LoaderState& state, const BuiltinModule* builtin, void* library,
                             std::string key) {
  for (auto& module : state.modules) {
    if ((builtin && module->builtin == builtin) || (library && module->library == library)) {
      ++module->references;
      return module.get();
    }
  }
  auto module = std::make_unique<PlatformModule>();
  module->key = std::move(key);
  module->builtin = builtin;
  module->library = library;
  module->references = 1;
  state.modules.push_back(std::move(module));
  return state.modules.back().get();
}

bool IsOrdinal(LPCSTR proc_name) {
  return reinterpret_cast<uintptr_t>(proc_name) <= 0xFFFF;
}

FARPROC FindExport(const PlatformModule& module, LPCSTR proc_name) {
  if (module.builtin) {
    for (const ModuleExport& entry : module.builtin->exports) {
      bool match = IsOrdinal(proc_name) ? entry.ordinal == reinterpret_cast<uintptr_t>(proc_name)
                                        : std::strcmp(entry.name, proc_name) == 0;
      if (match) return entry.address;
    }
    return nullptr;
  }
  // Shared objects have no ordinals.
  if (IsOrdinal(proc_name)) return nullptr;
  return reinterpret_cast<FARPROC>(::dlsym(module.library, proc_name));
}

}  // namespace

const std::string& ProgramFolder() {
  static const std::string folder = [] {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
  }();
  return folder;
}

LoaderCounts LoaderTotals() {
  LoaderState& state = State();
  std::lock_guard lock(state.mutex);
  return state.totals;
}

LoaderCounts LoaderCountsFor(LPCSTR file_name) {
  if (!file_name) return {};
  LoaderState& state = State();
  std::lock_guard lock(state.mutex);
  auto found = state.counts.find(CountsKey(file_name));
  return found == state.counts.end() ? LoaderCounts{} : found->second;
}

void HideModuleForTests(const char* file_name) {
  LoaderState& state = State();
  std::lock_guard lock(state.mutex);
  state.hidden = file_name ? CountsKey(file_name) : "";
}

int ModuleReferenceCount(HMODULE handle) {
  LoaderState& state = State();
  std::lock_guard lock(state.mutex);
  PlatformModule* module = FindLoaded(state, handle);
  return module ? module->references : 0;
}

}  // namespace platform

using platform::LoaderState;

HMODULE LoadLibraryA(LPCSTR file_name) {
  if (!file_name || !*file_name) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  LoaderState& state = platform::State();
  std::lock_guard lock(state.mutex);
  std::string key = platform::CountsKey(file_name);
  platform::LoaderCounts& counts = state.counts[key];
  const bool hidden = key == state.hidden;
  const platform::BuiltinModule* builtin = hidden ? nullptr : platform::FindBuiltin(file_name);
  void* library = builtin || hidden ? nullptr : ::dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (!builtin && !library) {
    ++counts.failed_loads;
    ++state.totals.failed_loads;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++counts.loads;
  ++state.totals.loads;
  return platform::AddReference(state, builtin, library, std::move(key));
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR proc_name) {
  LoaderState& state = platform::State();
  std::lock_guard lock(state.mutex);
  PlatformModule* module = platform::FindLoaded(state, handle);
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++state.counts[module->key].lookups;
  ++state.totals.lookups;
  FARPROC address = platform::FindExport(*module, proc_name);
  if (!address) SetLastError(ERROR_PROC_NOT_FOUND);
  return address;
}

BOOL FreeLibrary(HMODULE handle) {
  LoaderState& state = platform::State();
  std::lock_guard lock(state.mutex);
  PlatformModule* module = platform::FindLoaded(state, handle);
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ++state.counts[module->key].releases;
  ++state.totals.releases;
  // dlopen counts its own references; each of our loads took one.
  if (module->library) ::dlclose(module->library);
  if (--module->references == 0) {
    std::erase_if(state.modules, [module](const auto& owned) { return owned.get() == module; });
  }
  return TRUE;
}
