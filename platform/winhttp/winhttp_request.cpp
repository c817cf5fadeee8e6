// A WinHTTP request on its way: headers, send, receive, the body read loop
// and the raw response headers.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "kernel32.h"
#include "net_results.h"
#include "net_text.h"
#include "winhttp.h"
#include "winhttp_objects.h"

using platform::net::Fail;
using platform::net::Failure;
using platform::net::HandleKind;
using platform::net::LookUp;
using platform::net::Succeed;
using platform::net::WaitLimits;
using platform::winhttp::Request;

namespace platform::winhttp {

DWORD ErrorFor(Failure failure) {
  switch (failure) {
    case Failure::kNone:
      return ERROR_SUCCESS;
    case Failure::kNameNotResolved:
      return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case Failure::kCannotConnect:
      return ERROR_WINHTTP_CANNOT_CONNECT;
    case Failure::kTimeout:
      return ERROR_WINHTTP_TIMEOUT;
    case Failure::kCertificateAuthority:
    case Failure::kCertificateName:
    case Failure::kCertificateDate:
    case Failure::kSecureChannel:
      return ERROR_WINHTTP_SECURE_FAILURE;
    case Failure::kNoResponse:
    case Failure::kInvalidResponse:
      return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case Failure::kHeaderTooLarge:
      return ERROR_WINHTTP_HEADER_SIZE_OVERFLOW;
    case Failure::kConnectionError:
      return ERROR_WINHTTP_CONNECTION_ERROR;
    case Failure::kCancelled:
      return ERROR_WINHTTP_OPERATION_CANCELLED;
    case Failure::kRedirectFailed:
    case Failure::kHttpsToHttp:
      return ERROR_WINHTTP_REDIRECT_FAILED;
  }
  return ERROR_WINHTTP_CONNECTION_ERROR;
}

}  // namespace platform::winhttp

namespace {

long Milliseconds(int limit) {
  return limit > 0 ? limit : -1;
}

WaitLimits ReceiveLimits(const Request& request) {
  WaitLimits limits;
  limits.idle_ms = Milliseconds(request.timeouts.receive);
  limits.upload_idle_ms = Milliseconds(request.timeouts.send);
  return limits;
}

// The connect limit alone bounds reaching the server. libcurl counts the
// name look-up into the same limit; adding the resolve limit to it would let
// a connect that never completes wait for both.
long ConnectTimeout(const platform::winhttp::Timeouts& timeouts) {
  return timeouts.connect > 0 ? timeouts.connect : 0;
}

BOOL ApplyHeaders(Request& request, LPCWSTR headers, DWORD length, DWORD modifiers) {
  std::u16string_view text = platform::net::WideArgument(headers, length);
  std::string bytes = platform::net::WideToBytes(text, CP_GBK);
  if (DWORD error = request.headers.Apply(bytes, modifiers)) return Fail(error);
  return Succeed();
}

WaitLimits DataLimits(const Request& request) {
  WaitLimits limits;
  limits.idle_ms = Milliseconds(request.timeouts.receive);
  return limits;
}

// Waits until body bytes are buffered or the body ended; false on failure.
bool WaitForData(Request& request) {
  auto& transfer = request.exchange.transfer();
  return transfer.Available() > 0 || transfer.AtEnd() || transfer.WaitData(DataLimits(request));
}

}  // namespace

BOOL WinHttpAddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD headers_length,
                              DWORD modifiers) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  if (!headers || headers_length == 0) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(object->mutex);
  return ApplyHeaders(*object, headers, headers_length, modifiers);
}

BOOL WinHttpSendRequest(HINTERNET request, LPCWSTR headers, DWORD headers_length, LPVOID optional,
                        DWORD optional_length, DWORD total_length, DWORD_PTR) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  // The whole body comes with this call: there is no WinHttpWriteData to
  // deliver more later, so a larger total is refused rather than left hanging.
  if ((optional_length > 0 && !optional) || total_length != optional_length) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::lock_guard lock(object->mutex);
  if (headers && headers_length != 0 &&
      !ApplyHeaders(*object, headers, headers_length, WINHTTP_ADDREQ_FLAG_ADD)) {
    return FALSE;
  }
  const Request& r = *object;
  const auto& connection = *r.connection;
  const auto& session = *connection.session;

  platform::net::ExchangeSettings settings;
  settings.http10 = r.http10;
  settings.follow_redirects = !(r.disabled & WINHTTP_DISABLE_REDIRECTS);
  settings.cookies = r.disabled & WINHTTP_DISABLE_COOKIES ? nullptr : &connection.session->cookies;
  settings.keep_alive_header = !(r.disabled & WINHTTP_DISABLE_KEEP_ALIVE);
  settings.reuse_connection = settings.keep_alive_header;
  settings.user_agent = session.agent;
  settings.proxies = session.proxies;
  if (!(r.disabled & WINHTTP_DISABLE_AUTHENTICATION)) {
    settings.server_credentials = r.server_credentials;
    settings.proxy_credentials = r.proxy_credentials;
  }
  settings.connect_timeout_ms = ConnectTimeout(r.timeouts);

  platform::net::ExchangeRequest exchange;
  exchange.url.secure = r.secure;
  exchange.url.host = connection.host;
  exchange.url.port = connection.port != 0 ? connection.port : exchange.url.DefaultPort();
  exchange.url.target = r.target;
  exchange.method = r.verb;
  exchange.body = static_cast<const unsigned char*>(optional);
  exchange.body_size = optional_length;
  exchange.headers = r.headers;

  object->state = Request::State::kOpen;
  object->raw_headers.clear();
  if (!object->exchange.Send(std::move(settings), std::move(exchange), ReceiveLimits(r))) {
    return Fail(platform::winhttp::ErrorFor(object->exchange.failure()));
  }
  object->state = Request::State::kSent;
  return Succeed();
}

BOOL WinHttpReceiveResponse(HINTERNET request, LPVOID reserved) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  if (reserved) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kSent) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (!object->exchange.Receive(ReceiveLimits(*object))) {
    object->state = Request::State::kOpen;
    return Fail(platform::winhttp::ErrorFor(object->exchange.failure()));
  }
  object->state = Request::State::kReceived;
  return Succeed();
}

BOOL WinHttpQueryDataAvailable(HINTERNET request, LPDWORD bytes_available) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kReceived) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  // A body that stalls or breaks off is reported by the read that follows,
  // not here: the query then promises one byte and WinHttpReadData fails
  // with the reason, so a reader never takes a broken body for a whole one.
  size_t available = WaitForData(*object) ? object->exchange.transfer().Available() : 1;
  if (bytes_available) {
    *bytes_available = static_cast<DWORD>(std::min<size_t>(available, UINT32_MAX));
  }
  return Succeed();
}

BOOL WinHttpReadData(HINTERNET request, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  if (!bytes_read || (!buffer && bytes_to_read > 0)) return Fail(ERROR_INVALID_PARAMETER);
  *bytes_read = 0;
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kReceived) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  auto& transfer = object->exchange.transfer();
  size_t read = 0;
  if (!transfer.ReadSome(buffer, bytes_to_read, DataLimits(*object), &read)) {
    return Fail(platform::winhttp::ErrorFor(transfer.failure()));
  }
  *bytes_read = static_cast<DWORD>(read);
  return Succeed();
}

BOOL WinHttpQueryHeaders(HINTERNET request, DWORD info_level, LPCWSTR, LPVOID buffer,
                         LPDWORD buffer_length, LPDWORD) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  if (!buffer_length) return Fail(ERROR_INVALID_PARAMETER);
  if (info_level != WINHTTP_QUERY_RAW_HEADERS_CRLF && info_level != WINHTTP_QUERY_RAW_HEADERS) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kReceived) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);

  // The final response only: its status line, then each header line as it
  // came, each closed by CR LF (or a NUL for the plain raw form), then an
  // empty line. The bytes are read as code page 936 so that turning the text
  // back into GBK gives the bytes the server sent.
  if (object->raw_headers.empty() || object->raw_headers_level != info_level) {
    const auto& head = object->exchange.transfer().head();
    std::string_view separator = info_level == WINHTTP_QUERY_RAW_HEADERS_CRLF
                                     ? std::string_view("\r\n", 2)
                                     : std::string_view("\0", 1);
    std::string raw;
    raw.reserve(head.size + 2);
    raw += head.status_line;
    raw += separator;
    for (const std::string& line : head.lines) {
      raw += line;
      raw += separator;
    }
    raw += separator;
    object->raw_headers = platform::net::BytesToWide(raw, CP_GBK);
    object->raw_headers_level = info_level;
  }
  const std::u16string& wide = object->raw_headers;

  DWORD needed = static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t));
  if (!buffer || *buffer_length < needed) {
    *buffer_length = needed;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, wide.c_str(), needed);
  *buffer_length = needed - sizeof(char16_t);
  return Succeed();
}
