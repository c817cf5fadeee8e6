// Drives the WinHTTP layer through one whole request the way the program's
// request routine does (crack, open, connect, request, settings, headers,
// send, receive, read loop, raw headers), recording where it stopped.
#pragma once

#include <optional>
#include <string>

#include "winhttp.h"

namespace test {

// Closes a WinHTTP handle when it goes out of scope.
class WinHttpHandle {
 public:
  explicit WinHttpHandle(HINTERNET handle = nullptr) : handle_(handle) {}
  ~WinHttpHandle() {
    if (handle_) WinHttpCloseHandle(handle_);
  }
  WinHttpHandle(const WinHttpHandle&) = delete;
  WinHttpHandle& operator=(const WinHttpHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

struct WinHttpCall {
  std::string url{};
  std::u16string verb = u"GET";
  std::string body{};        // sent as is
  std::u16string headers{};  // added with ADD | REPLACE when not empty
  std::u16string proxy{};    // named proxy when not empty
  std::optional<std::pair<std::u16string, std::u16string>> server_credentials{};
  std::optional<std::pair<std::u16string, std::u16string>> proxy_credentials{};
  DWORD disable = 0;  // option 63 bits
  int timeout_ms = 5000;
};

struct WinHttpResult {
  // The step that failed ("crack", "open", "connect", "request", "timeouts",
  // "credentials", "option", "headers", "send", "receive", "available",
  // "read", "query"), or "" when all went through; `error` is its last error.
  std::string failed_at;
  DWORD error = 0;
  std::string raw_headers;  // level 22, as code page 936 bytes
  std::string body;
};

WinHttpResult RunWinHttp(const WinHttpCall& call);

// UTF-16 of an ASCII or UTF-8 text.
std::u16string Wide(std::string_view utf8);

}  // namespace test
