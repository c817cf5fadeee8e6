#include "runtime/fetch_url.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "kernel32.h"
#include "runtime/blocks.h"
#include "runtime/call_frame.h"
#include "runtime/command_args.h"
#include "runtime/fatal_error.h"
#include "runtime/heap.h"
#include "wininet.h"

namespace rt {
namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
// Service types of the window framework's address parser.
constexpr DWORD kServiceHttp = 3;
constexpr DWORD kServiceHttps = 4107;
constexpr int32_t kDefaultChunk = 10240;
constexpr int32_t kLargestChunk = 102400;

// The one session of the program and the proxy settings it is opened with
// (none in this program: no command sets them).
struct InternetSession {
  std::mutex mutex;
  HINTERNET handle = nullptr;
  std::string proxy, proxy_user, proxy_password;
};

InternetSession& Session() {
  static InternetSession* session = new InternetSession;  // closed explicitly, never destroyed
  return *session;
}

// Opens the session on first use. Two threads fetching at once get the same
// one; a session that could not be opened is tried again next time.
HINTERNET SharedSession(std::string* proxy, std::string* proxy_user, std::string* proxy_password) {
  InternetSession& session = Session();
  std::lock_guard lock(session.mutex);
  if (!session.handle) {
    session.handle = InternetOpenA(
        kAgent, session.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
        session.proxy.empty() ? nullptr : session.proxy.c_str(), nullptr, 0);
    static std::once_flag registered;
    if (session.handle) std::call_once(registered, [] { AddShutdownStep(CloseInternetSession); });
  }
  *proxy = session.proxy;
  *proxy_user = session.proxy_user;
  *proxy_password = session.proxy_password;
  return session.handle;
}

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

struct InternetAddress {
  DWORD service = 0;
  std::string server, object, user, password;
  INTERNET_PORT port = 0;
};

// The framework's address parser: the address canonicalised without
// escaping, then cracked into its parts; the object is path and extra.
bool ParseInternetAddress(const char* address, InternetAddress* parsed) {
  std::string canonical(std::strlen(address) + 64, '\0');
  DWORD size = static_cast<DWORD>(canonical.size());
  if (!InternetCanonicalizeUrlA(address, canonical.data(), &size, ICU_NO_ENCODE)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    canonical.resize(size);
    if (!InternetCanonicalizeUrlA(address, canonical.data(), &size, ICU_NO_ENCODE)) return false;
  }
  canonical.resize(size);
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
      parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!InternetCrackUrlA(canonical.c_str(), 0, 0, &parts)) return false;
  auto part = [](const char* text, DWORD length) { return text ? std::string(text, length) : ""; };
  parsed->service = parts.nScheme == INET_SCHEME_HTTPS ? kServiceHttps : kServiceHttp;
  parsed->server = part(parts.lpszHostName, parts.dwHostNameLength);
  parsed->object = part(parts.lpszUrlPath, parts.dwUrlPathLength);
  parsed->object.append(part(parts.lpszExtraInfo, parts.dwExtraInfoLength));
  if (parsed->object.empty()) parsed->object.push_back('/');
  parsed->user = part(parts.lpszUserName, parts.dwUserNameLength);
  parsed->password = part(parts.lpszPassword, parts.dwPasswordLength);
  parsed->port = parts.nPort;
  return !parsed->server.empty();
}

// Reads the whole body straight into a growing ByteSet block, one chunk per
// read, so no second copy of the body is ever made. Whatever arrived before a
// failing read is kept; a body too large for a byte set yields nothing rather
// than a truncated picture.
void* ReceiveBody(HINTERNET request, int32_t chunk) {
  constexpr size_t kHeader = 8;
  constexpr size_t kLargestBody = kMaxBlockSize - kHeader;
  const auto whole_chunk = static_cast<size_t>(chunk);
  void* block = nullptr;
  size_t count = 0, capacity = 0;
  for (;;) {
    if (capacity - count < whole_chunk && capacity < kLargestBody) {
      // Room for a whole chunk before every read. The first block holds two:
      // with a known length the body and its final zero-length read fit in it.
      const size_t wanted = std::min(std::max(capacity * 2, count + 2 * whole_chunk), kLargestBody);
      block = RtReallocSize(block, kHeader + wanted);
      capacity = wanted;
    }
    if (count == capacity) {
      RtFree(block);
      return nullptr;
    }
    DWORD read = 0;
    DWORD room = static_cast<DWORD>(std::min(capacity - count, whole_chunk));
    if (!InternetReadFile(request, static_cast<char*>(block) + kHeader + count, room, &read) ||
        read == 0) {
      break;
    }
    count += read;
  }
  if (count == 0) {
    RtFree(block);
    return nullptr;
  }
  int32_t header[2] = {1, static_cast<int32_t>(count)};
  std::memcpy(block, header, sizeof header);
  return block;
}

void* Fetch(const char* address) {
  if (!address || !*address) return nullptr;
  InternetAddress parsed;
  if (!ParseInternetAddress(address, &parsed)) return nullptr;
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  if (parsed.service == kServiceHttps) {
    parsed.service = kServiceHttp;
    flags |= INTERNET_FLAG_SECURE;
  }
  std::string proxy, proxy_user, proxy_password;
  HINTERNET session = SharedSession(&proxy, &proxy_user, &proxy_password);
  if (!session) return nullptr;
  InternetHandle connection(InternetConnectA(session, parsed.server.c_str(), parsed.port,
                                             parsed.user.c_str(), parsed.password.c_str(),
                                             parsed.service, 0, 0));
  if (!connection) return nullptr;

  // The proxy settings go to the session and the connection every time;
  // a failure here changes nothing for the fetch.
  const DWORD access = proxy.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY;
  INTERNET_PROXY_INFO info{access, proxy.empty() ? nullptr : proxy.c_str(), nullptr};
  InternetSetOptionA(session, INTERNET_OPTION_PROXY, &info, sizeof info);
  InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_USERNAME, proxy_user.data(),
                     static_cast<DWORD>(proxy_user.size() + 1));
  InternetSetOptionA(connection.get(), INTERNET_OPTION_PROXY_PASSWORD, proxy_password.data(),
                     static_cast<DWORD>(proxy_password.size() + 1));

  std::string object = parsed.object.substr(0, parsed.object.find('#'));
  LPCSTR accept[] = {"Accept: */* \r\n", nullptr};
  InternetHandle request(HttpOpenRequestA(connection.get(), "GET", object.c_str(), "HTTP/1.0",
                                          nullptr, accept, flags, 0));
  if (!request) return nullptr;
  static const char kExtraHeaders[] = "Accept: */*\r\n\r\n";
  if (!HttpSendRequestA(request.get(), kExtraHeaders, sizeof kExtraHeaders - 1, nullptr, 0)) {
    return nullptr;
  }
  char length[32] = {};
  DWORD length_size = sizeof length;
  bool known =
      HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH, length, &length_size, nullptr);
  return ReceiveBody(request.get(), FetchChunkSize(known ? length : nullptr));
}

}  // namespace

int32_t FetchChunkSize(const char* content_length) {
  if (!content_length) return kDefaultChunk;
  long long n = std::strtoll(content_length, nullptr, 10);
  if (n <= 0) return kDefaultChunk;
  if (n + 1 > kLargestChunk) return kLargestChunk;
  return static_cast<int32_t>(n + 1);
}

void CloseInternetSession() {
  InternetSession& session = Session();
  std::lock_guard lock(session.mutex);
  if (session.handle) InternetCloseHandle(session.handle);
  session.handle = nullptr;
}

namespace cmd {

void FetchUrl(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetPointer(result, Fetch(args::TextPointer(args, arg_count, 0)));
}

}  // namespace cmd

ByteSet FetchUrl(TextRef address) {
  ValueRecord args[] = {ValueRecord::Text(address.get())};
  CommandResult result = CallCommand(cmd::FetchUrl, args, 1);
  return ByteSet(reinterpret_cast<void*>(static_cast<uintptr_t>(result.value)));
}

}  // namespace rt
