#include "loader.h"

#include <string>

namespace platform {

const std::string& ProgramFolder() {
  static const std::string folder = [] {
    // Paths may be longer than MAX_PATH; the buffer grows until the name fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
      DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return std::string(".");
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      path.resize(path.size() * 2);
    }
    size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
  }();
  return folder;
}

}  // namespace platform
