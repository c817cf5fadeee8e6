// One request and its response over libcurl's multi interface, driven by the
// calling thread: the request goes out, the response head is collected, and
// the body is handed out as it arrives. A bounded buffer sits between libcurl
// and the reader (libcurl is paused while it is full), so a large body is never
// held whole. Redirects are not followed here; see http_exchange.h.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "http_header_list.h"
#include "http_url.h"

// libcurl stays out of every header: its handles are kept as the untyped
// pointers it hands out, its result code as an int (0 is CURLE_OK).
struct curl_slist;

namespace platform::net {

struct Credentials {
  std::string user;
  std::string password;
};

struct HopRequest {
  HttpUrl url;
  std::string method = "GET";
  bool http10 = false;
  // The body is borrowed until the final response head has arrived; whatever
  // of it is still unsent then (a server that answers early) is copied.
  const unsigned char* body = nullptr;
  size_t body_size = 0;
  bool content_length = false;       // send Content-Length even for no body (POST, PUT)
  std::vector<HeaderField> headers;  // in the order they go out
  std::string user_agent;            // "" sends none
  std::string proxy;                 // "" goes direct, else "host:port"
  std::optional<Credentials> server_credentials;
  std::optional<Credentials> proxy_credentials;
  long connect_timeout_ms = 0;  // resolve and connect (and TLS); 0 leaves libcurl's
  // An idle connection to the same server may carry the request, and its
  // connection may be kept for later ones; false opens one and closes it.
  bool reuse_connection = true;
};

// The final response's head: status line and header lines exactly as received.
struct ResponseHead {
  int status = 0;
  std::string status_line;
  std::vector<std::string> lines;
  size_t size = 0;  // bytes of the block as received

  // The value of the first line with this name (case-insensitive), trimmed.
  std::optional<std::string_view> Value(std::string_view name) const;
  std::vector<std::string_view> Values(std::string_view name) const;
};

enum class Failure {
  kNone,
  kNameNotResolved,
  kCannotConnect,
  kTimeout,
  kCertificateAuthority,
  kCertificateName,
  kCertificateDate,
  kSecureChannel,
  kNoResponse,       // the connection closed before any answer
  kInvalidResponse,  // what came back is not an HTTP response
  kHeaderTooLarge,
  kConnectionError,  // the connection broke after the request went out
  kCancelled,
  kRedirectFailed,
  kHttpsToHttp,
};

using Clock = std::chrono::steady_clock;

struct WaitLimits {
  long idle_ms = -1;         // longest wait without progress; -1 none
  long upload_idle_ms = -1;  // the same while the body is still going out; -1 as idle_ms
  Clock::time_point deadline = Clock::time_point::max();
};

// Bytes of one response head beyond which the response is refused.
inline constexpr size_t kMaxResponseHeadSize = 64 * 1024;

// The libcurl handles come from a pool shared by the process (see
// curl_handles.h) at the first Begin and go back when the transfer is
// destroyed, with the connection if the server keeps it open.
class Transfer {
 public:
  Transfer();
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Starts a request, dropping whatever an earlier one left.
  void Begin(const HopRequest& hop);

  // Each wait returns true when its condition holds and false when the
  // transfer failed, timed out or was cancelled (see failure()).
  bool WaitStarted(const WaitLimits& limits);  // connected, request going out
  bool WaitHead(const WaitLimits& limits);     // final (non-1xx) head complete
  bool WaitData(const WaitLimits& limits);     // body bytes buffered, or the body ended

  const ResponseHead& head() const { return head_; }
  size_t Available() const { return buffer_.size() - read_position_; }
  // Takes up to `size` buffered bytes without waiting.
  size_t Read(void* destination, size_t size);
  // Takes up to `size` bytes, waiting for some when none are buffered; what
  // arrives during the wait goes straight into `destination`, so a reader with
  // room for the body receives it without a copy through the buffer. *read is
  // 0 at the end of the body; false when the transfer failed.
  bool ReadSome(void* destination, size_t size, const WaitLimits& limits, size_t* read);
  // The body has ended cleanly and every byte has been read.
  bool AtEnd() const;
  Failure failure() const { return failure_; }

  // Any thread: the running or next wait fails with kCancelled.
  void Cancel();

 private:
  template <class Ready>
  bool Drive(Ready ready, const WaitLimits& limits);
  void Fail(Failure failure);
  void CollectResult();
  Failure Classify() const;
  void Detach();

  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static size_t OnUpload(char* data, size_t size, size_t count, void* self);
  static int OnSeek(void* self, int64_t offset, int origin);
  static int OnRequestStart(void* self, char*, char*, int, int);

  void* multi_ = nullptr;  // CURLM*, from the first Begin on
  void* easy_ = nullptr;   // CURL*
  size_t route_ = 0;       // of the latest hop, for the pool
  bool attached_ = false;
  // The header lines of the latest hop, NUL after each, and libcurl's list
  // of them built in place.
  std::vector<char> header_text_;
  std::vector<curl_slist> header_list_;
  curl_slist* resolve_list_ = nullptr;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> waiting_{false};  // a wait is running: a cancel must wake it

  const unsigned char* body_ = nullptr;  // null once the unsent rest is our own
  size_t body_size_ = 0;
  size_t upload_position_ = 0;
  std::string upload_rest_;  // the unsent rest, from offset `rest_begin_`
  size_t rest_begin_ = 0;

  uint64_t activity_ = 0;  // bumped by every byte of progress either way
  bool started_ = false;
  bool head_complete_ = false;
  bool header_overflow_ = false;
  bool paused_ = false;
  bool finished_ = false;
  int result_ = 0;  // CURLcode
  Failure failure_ = Failure::kNone;
  ResponseHead block_;  // the head being received
  ResponseHead head_;
  std::string buffer_;
  size_t read_position_ = 0;
  char* direct_ = nullptr;  // a waiting reader's room, filled before the buffer
  size_t direct_size_ = 0;
  size_t direct_filled_ = 0;
};

}  // namespace platform::net
