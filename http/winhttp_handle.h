// One WinHTTP handle of a request call, closed through the platform function
// table when the call leaves. Declaring the session, connection and request
// owners in that order closes them in the reverse order of creation.
#pragma once

#include <utility>

#include "runtime/platform_functions.h"

namespace http {

class WinHttpHandle {
 public:
  WinHttpHandle() = default;
  WinHttpHandle(const WinHttpHandle&) = delete;
  WinHttpHandle& operator=(const WinHttpHandle&) = delete;
  ~WinHttpHandle() { Close(); }

  // Takes over `handle` (null when the opening call failed).
  void Reset(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  // A handle that was never opened needs no call.
  void Close() {
    if (HINTERNET handle = std::exchange(handle_, nullptr)) {
      rt::CallPlatformFunction<rt::kWinHttpCloseHandle>(handle);
    }
  }

  HINTERNET handle_ = nullptr;
};

}  // namespace http
