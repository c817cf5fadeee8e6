// The WinINet subset over the same exchange machinery as WinHTTP: sessions,
// connections, requests, the headers query and reading.
#include "wininet.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "http_exchange.h"
#include "http_url.h"
#include "internet_handles.h"
#include "kernel32.h"
#include "net_results.h"
#include "wininet_test_seams.h"

namespace {

using platform::net::Fail;
using platform::net::FailHandle;
using platform::net::Failure;
using platform::net::HandleKind;
using platform::net::LookUp;
using platform::net::Succeed;

std::atomic<platform::InternetReadObserver> read_observer{nullptr};

// A dead server must not hold a fetch for minutes: these bound every request.
constexpr long kConnectTimeoutMs = 10000;
constexpr auto kExchangeTimeout = std::chrono::seconds(30);

struct Session : platform::net::HandleObject {
  Session() : HandleObject(HandleKind::kInetSession) {}
  std::string agent;
  std::mutex mutex;  // guards the proxy setting, which options may change at any time
  platform::net::ProxyList proxies;
};

struct Connection : platform::net::HandleObject {
  Connection() : HandleObject(HandleKind::kInetConnection) {}
  std::shared_ptr<Session> session;
  std::string server;
  INTERNET_PORT port = 0;
  std::optional<platform::net::Credentials> credentials;
  std::mutex mutex;  // guards the proxy credentials
  std::string proxy_user, proxy_password;
};

struct Request : platform::net::HandleObject {
  enum class State { kOpen, kSent };

  Request() : HandleObject(HandleKind::kInetRequest) {}
  void Closed() override { exchange.Cancel(); }

  std::shared_ptr<Connection> connection;
  std::mutex mutex;
  std::string verb;
  std::string target;
  bool http10 = false;
  DWORD flags = 0;
  platform::net::HeaderList headers;
  State state = State::kOpen;
  platform::net::Clock::time_point deadline;
  platform::net::HttpExchange exchange;
};

std::string Text(LPCSTR text) {
  return text ? text : "";
}

DWORD ErrorFor(Failure failure) {
  switch (failure) {
    case Failure::kNone:
      return ERROR_SUCCESS;
    case Failure::kNameNotResolved:
      return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case Failure::kCannotConnect:
      return ERROR_INTERNET_CANNOT_CONNECT;
    case Failure::kTimeout:
      return ERROR_INTERNET_TIMEOUT;
    case Failure::kCertificateAuthority:
      return ERROR_INTERNET_INVALID_CA;
    case Failure::kCertificateName:
      return ERROR_INTERNET_SEC_CERT_CN_INVALID;
    case Failure::kCertificateDate:
      return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
    case Failure::kSecureChannel:
      return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case Failure::kNoResponse:
    case Failure::kInvalidResponse:
    case Failure::kHeaderTooLarge:
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case Failure::kConnectionError:
      return ERROR_INTERNET_CONNECTION_ABORTED;
    case Failure::kCancelled:
      return ERROR_INTERNET_OPERATION_CANCELLED;
    case Failure::kRedirectFailed:
      return ERROR_HTTP_REDIRECT_FAILED;
    case Failure::kHttpsToHttp:
      return ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
  }
  return ERROR_INTERNET_CONNECTION_ABORTED;
}

platform::net::ProxyList ProxiesFor(DWORD access_type, LPCSTR proxy, LPCSTR bypass) {
  if (access_type != INTERNET_OPEN_TYPE_PROXY) return {};  // no proxy configuration here: direct
  return platform::net::ProxyList::Parse(Text(proxy), Text(bypass));
}

platform::net::WaitLimits LimitsOf(const Request& request) {
  platform::net::WaitLimits limits;
  limits.deadline = request.deadline;
  return limits;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD access_type, LPCSTR proxy, LPCSTR proxy_bypass,
                        DWORD flags) {
  if (flags & INTERNET_FLAG_ASYNC) return FailHandle(ERROR_INVALID_PARAMETER);  // sync only
  if (access_type == INTERNET_OPEN_TYPE_PROXY && Text(proxy).empty()) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  auto session = std::make_shared<Session>();
  session->agent = Text(agent);
  session->proxies = ProxiesFor(access_type, proxy, proxy_bypass);
  HINTERNET handle = platform::net::RegisterHandle(std::move(session));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

HINTERNET InternetConnectA(HINTERNET session, LPCSTR server_name, INTERNET_PORT server_port,
                           LPCSTR user_name, LPCSTR password, DWORD service, DWORD, DWORD_PTR) {
  auto owner = LookUp<Session>(session, HandleKind::kInetSession);
  if (!owner) return nullptr;
  if (Text(server_name).empty() || service != INTERNET_SERVICE_HTTP) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  auto connection = std::make_shared<Connection>();
  connection->session = std::move(owner);
  connection->server = server_name;
  connection->port = server_port;
  if (!Text(user_name).empty()) connection->credentials = {{Text(user_name), Text(password)}};
  HINTERNET handle = platform::net::RegisterHandle(std::move(connection));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD buffer_length) {
  auto object = platform::net::LookUpHandle(
      handle, {HandleKind::kInetSession, HandleKind::kInetConnection, HandleKind::kInetRequest});
  if (!object) return FALSE;
  if (!buffer) return Fail(ERROR_INVALID_PARAMETER);
  if (option == INTERNET_OPTION_PROXY) {
    if (object->kind() != HandleKind::kInetSession)
      return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    if (buffer_length < sizeof(INTERNET_PROXY_INFO)) return Fail(ERROR_INVALID_PARAMETER);
    INTERNET_PROXY_INFO info;
    std::memcpy(&info, buffer, sizeof info);
    auto session = std::static_pointer_cast<Session>(object);
    std::lock_guard lock(session->mutex);
    session->proxies = ProxiesFor(info.dwAccessType, info.lpszProxy, info.lpszProxyBypass);
    return Succeed();
  }
  if (option == INTERNET_OPTION_PROXY_USERNAME || option == INTERNET_OPTION_PROXY_PASSWORD) {
    std::shared_ptr<Connection> connection;
    if (object->kind() == HandleKind::kInetConnection) {
      connection = std::static_pointer_cast<Connection>(object);
    } else if (object->kind() == HandleKind::kInetRequest) {
      connection = std::static_pointer_cast<Request>(object)->connection;
    } else {
      return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    }
    // The text runs to its NUL or the given length, whichever comes first.
    const char* text = static_cast<const char*>(buffer);
    std::string value(text, strnlen(text, buffer_length));
    std::lock_guard lock(connection->mutex);
    (option == INTERNET_OPTION_PROXY_USERNAME ? connection->proxy_user
                                              : connection->proxy_password) = std::move(value);
    return Succeed();
  }
  return Fail(ERROR_INTERNET_INVALID_OPTION);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR object_name, LPCSTR version,
                           LPCSTR referrer, LPCSTR* accept_types, DWORD flags, DWORD_PTR) {
  auto owner = LookUp<Connection>(connection, HandleKind::kInetConnection);
  if (!owner) return nullptr;
  auto request = std::make_shared<Request>();
  request->verb = Text(verb).empty() ? "GET" : Text(verb);
  if (request->verb.find_first_of(" \t\r\n") != std::string::npos) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  std::string object = Text(object_name);
  if (object.empty() || object[0] != '/') object = "/" + object;
  request->target = platform::net::EscapeTarget(object, platform::net::EscapeSet::kSpaceAndControl);
  request->http10 = Text(version) == "HTTP/1.0";
  request->flags = flags;
  if (!Text(referrer).empty()) request->headers.Set("Referer", referrer);
  if (accept_types) {
    // The entries become one Accept value as they are, less any line break
    // or surrounding space, which would otherwise end up on the wire.
    std::string accept;
    for (LPCSTR* type = accept_types; *type; ++type) {
      std::string_view entry(*type);
      entry = entry.substr(0, entry.find_first_of("\r\n"));
      while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
      while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
      if (entry.empty()) continue;
      if (!accept.empty()) accept += ", ";
      accept += entry;
    }
    if (!accept.empty()) request->headers.Set("Accept", accept);
  }
  if (flags & INTERNET_FLAG_PRAGMA_NOCACHE) request->headers.Set("Pragma", "no-cache");
  request->connection = std::move(owner);
  HINTERNET handle = platform::net::RegisterHandle(std::move(request));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headers_length, LPVOID optional,
                      DWORD optional_length) {
  auto object = LookUp<Request>(request, HandleKind::kInetRequest);
  if (!object) return FALSE;
  if (optional_length > 0 && !optional) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(object->mutex);
  if (headers) {
    std::string_view text(
        headers, headers_length == static_cast<DWORD>(-1) ? std::strlen(headers) : headers_length);
    if (DWORD error =
            object->headers.Apply(text, HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) {
      return Fail(error);
    }
  }
  Request& r = *object;
  Connection& connection = *r.connection;
  Session& session = *connection.session;

  platform::net::ExchangeSettings settings;
  settings.http10 = r.http10;
  settings.follow_redirects = !(r.flags & INTERNET_FLAG_NO_AUTO_REDIRECT);
  settings.https_to_http = Failure::kHttpsToHttp;
  settings.keep_alive_header = (r.flags & INTERNET_FLAG_KEEP_CONNECTION) != 0;
  settings.user_agent = session.agent;
  {
    std::lock_guard session_lock(session.mutex);
    settings.proxies = session.proxies;
  }
  settings.server_credentials = connection.credentials;
  {
    std::lock_guard connection_lock(connection.mutex);
    if (!connection.proxy_user.empty()) {
      settings.proxy_credentials = {{connection.proxy_user, connection.proxy_password}};
    }
  }
  settings.connect_timeout_ms = kConnectTimeoutMs;

  platform::net::ExchangeRequest exchange;
  exchange.url.secure = (r.flags & INTERNET_FLAG_SECURE) != 0;
  exchange.url.host = connection.server;
  exchange.url.port = connection.port != 0 ? connection.port : exchange.url.DefaultPort();
  exchange.url.target = r.target;
  exchange.method = r.verb;
  exchange.body = static_cast<const unsigned char*>(optional);
  exchange.body_size = optional_length;
  exchange.headers = r.headers;

  // Unlike WinHTTP, sending here also waits for the answer, whatever its status.
  r.state = Request::State::kOpen;
  r.deadline = platform::net::Clock::now() + kExchangeTimeout;
  if (!r.exchange.Send(std::move(settings), std::move(exchange), LimitsOf(r)) ||
      !r.exchange.Receive(LimitsOf(r))) {
    return Fail(ErrorFor(r.exchange.failure()));
  }
  r.state = Request::State::kSent;
  return Succeed();
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD info_level, LPVOID buffer, LPDWORD buffer_length,
                    LPDWORD) {
  auto object = LookUp<Request>(request, HandleKind::kInetRequest);
  if (!object) return FALSE;
  if (!buffer_length) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kSent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  const auto& head = object->exchange.transfer().head();
  std::string value;
  switch (info_level & 0xFFFF) {
    case HTTP_QUERY_CONTENT_LENGTH: {
      auto length = head.Value("Content-Length");
      if (!length) return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
      value = std::string(*length);
      break;
    }
    case HTTP_QUERY_STATUS_CODE:
      value = std::to_string(head.status);
      break;
    case HTTP_QUERY_RAW_HEADERS_CRLF:
      value = head.status_line + "\r\n";
      for (const std::string& line : head.lines) value += line + "\r\n";
      value += "\r\n";
      break;
    default:
      return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  }
  if (info_level & HTTP_QUERY_FLAG_NUMBER) {
    if (!buffer || *buffer_length < sizeof(DWORD)) {
      *buffer_length = sizeof(DWORD);
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    DWORD number = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10));
    std::memcpy(buffer, &number, sizeof number);
    *buffer_length = sizeof number;
    return Succeed();
  }
  DWORD needed = static_cast<DWORD>(value.size() + 1);
  if (!buffer || *buffer_length < needed) {
    *buffer_length = needed;
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, value.c_str(), needed);
  *buffer_length = needed - 1;
  return Succeed();
}

BOOL InternetReadFile(HINTERNET file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read) {
  auto object = LookUp<Request>(file, HandleKind::kInetRequest);
  if (!object) return FALSE;
  if (!bytes_read || (!buffer && bytes_to_read > 0)) return Fail(ERROR_INVALID_PARAMETER);
  if (auto observe = read_observer.load(std::memory_order_acquire)) observe(bytes_to_read);
  *bytes_read = 0;
  std::lock_guard lock(object->mutex);
  if (object->state != Request::State::kSent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  auto& transfer = object->exchange.transfer();
  size_t read = 0;
  if (!transfer.ReadSome(buffer, bytes_to_read, LimitsOf(*object), &read)) {
    return Fail(ErrorFor(transfer.failure()));
  }
  *bytes_read = static_cast<DWORD>(read);
  return Succeed();
}

BOOL InternetCloseHandle(HINTERNET handle) {
  return platform::net::CloseHandle(
      handle, {HandleKind::kInetSession, HandleKind::kInetConnection, HandleKind::kInetRequest});
}

namespace platform {

void SetInternetReadObserverForTests(InternetReadObserver observer) {
  read_observer.store(observer, std::memory_order_release);
}

}  // namespace platform
