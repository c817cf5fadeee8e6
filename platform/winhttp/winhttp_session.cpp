// WinHTTP sessions, connections and requests, and the settings callers make
// on them before sending: time-outs, credentials, options.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>

#include "http_url.h"
#include "kernel32.h"
#include "net_results.h"
#include "net_text.h"
#include "winhttp.h"
#include "winhttp_objects.h"

using platform::net::Fail;
using platform::net::FailHandle;
using platform::net::HandleKind;
using platform::net::LookUp;
using platform::net::Succeed;
using platform::winhttp::Connection;
using platform::winhttp::Request;
using platform::winhttp::Session;

namespace {

std::u16string_view Wide(LPCWSTR text) {
  return platform::net::WideArgument(text, static_cast<DWORD>(-1));
}

// A verb is one token: letters and the few marks HTTP allows, nothing that
// could break the request line.
bool IsVerb(std::string_view verb) {
  return !verb.empty() && std::all_of(verb.begin(), verb.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.';
  });
}

// The platform's "0 or -1 is no limit"; anything below -1 is refused.
bool ValidTimeout(int value) {
  return value >= -1;
}
int Limit(int value) {
  return value < 0 ? 0 : value;
}

}  // namespace

HINTERNET WinHttpOpen(LPCWSTR agent, DWORD access_type, LPCWSTR proxy, LPCWSTR proxy_bypass,
                      DWORD flags) {
  if (flags & WINHTTP_FLAG_ASYNC) return FailHandle(ERROR_INVALID_PARAMETER);  // sync only
  auto session = std::make_shared<Session>();
  session->agent = platform::net::WideToBytes(Wide(agent), CP_GBK);
  switch (access_type) {
    case WINHTTP_ACCESS_TYPE_DEFAULT_PROXY:
    case WINHTTP_ACCESS_TYPE_NO_PROXY:
    case WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY:
      break;  // this system keeps no proxy configuration: direct
    case WINHTTP_ACCESS_TYPE_NAMED_PROXY:
      session->proxies =
          platform::net::ProxyList::Parse(platform::net::WideToBytes(Wide(proxy), CP_GBK),
                                          platform::net::WideToBytes(Wide(proxy_bypass), CP_GBK));
      if (session->proxies.empty()) return FailHandle(ERROR_INVALID_PARAMETER);
      break;
    default:
      return FailHandle(ERROR_INVALID_PARAMETER);
  }
  HINTERNET handle = platform::net::RegisterHandle(std::move(session));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

HINTERNET WinHttpConnect(HINTERNET session, LPCWSTR server_name, INTERNET_PORT server_port,
                         DWORD reserved) {
  auto owner = LookUp<Session>(session, HandleKind::kHttpSession);
  if (!owner) return nullptr;
  if (!server_name || !*server_name || reserved != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  auto connection = std::make_shared<Connection>();
  connection->session = std::move(owner);
  // Checked when the request goes out: a name that cannot be a host fails as
  // unresolvable there, the way an unknown one does.
  connection->host = platform::net::WideToBytes(Wide(server_name), CP_UTF8);
  connection->port = server_port;
  HINTERNET handle = platform::net::RegisterHandle(std::move(connection));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

HINTERNET WinHttpOpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR object_name,
                             LPCWSTR version, LPCWSTR referrer, LPCWSTR* accept_types,
                             DWORD flags) {
  auto owner = LookUp<Connection>(connection, HandleKind::kHttpConnection);
  if (!owner) return nullptr;
  auto request = std::make_shared<Request>();
  request->verb = verb && *verb ? platform::net::WideToBytes(Wide(verb), CP_UTF8) : "GET";
  if (!IsVerb(request->verb)) return FailHandle(ERROR_INVALID_PARAMETER);
  std::string object = platform::net::WideToBytes(Wide(object_name), CP_UTF8);
  if (object.empty() || object[0] != '/') object = "/" + object;
  request->target = platform::net::EscapeTarget(
      object, flags & WINHTTP_FLAG_ESCAPE_DISABLE ? platform::net::EscapeSet::kSpaceAndControl
                                                  : platform::net::EscapeSet::kUnsafe);
  request->secure = (flags & WINHTTP_FLAG_SECURE) != 0;
  request->http10 = version && Wide(version) == u"HTTP/1.0";
  std::string referer = platform::net::WideToBytes(Wide(referrer), CP_GBK);
  referer.resize(platform::net::FirstLine(referer).size());
  if (!referer.empty()) request->headers.Set("Referer", referer);
  if (accept_types) {
    std::string accept;
    for (LPCWSTR* type = accept_types; *type; ++type) {
      if (!accept.empty()) accept += ", ";
      accept += platform::net::WideToBytes(Wide(*type), CP_GBK);
    }
    accept.resize(platform::net::FirstLine(accept).size());
    if (!accept.empty()) request->headers.Set("Accept", accept);
  }
  {
    std::lock_guard lock(owner->session->mutex);
    request->timeouts = owner->session->timeouts;
  }
  request->connection = std::move(owner);
  HINTERNET handle = platform::net::RegisterHandle(std::move(request));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL WinHttpSetTimeouts(HINTERNET handle, int resolve_timeout, int connect_timeout,
                        int send_timeout, int receive_timeout) {
  auto object =
      platform::net::LookUpHandle(handle, {HandleKind::kHttpSession, HandleKind::kHttpRequest});
  if (!object) return FALSE;
  if (!ValidTimeout(resolve_timeout) || !ValidTimeout(connect_timeout) ||
      !ValidTimeout(send_timeout) || !ValidTimeout(receive_timeout)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  platform::winhttp::Timeouts timeouts{Limit(resolve_timeout), Limit(connect_timeout),
                                       Limit(send_timeout), Limit(receive_timeout)};
  if (object->kind() == HandleKind::kHttpSession) {
    auto session = std::static_pointer_cast<Session>(object);
    std::lock_guard lock(session->mutex);
    session->timeouts = timeouts;
  } else {
    auto request = std::static_pointer_cast<Request>(object);
    std::lock_guard lock(request->mutex);
    request->timeouts = timeouts;
  }
  return Succeed();
}

BOOL WinHttpSetCredentials(HINTERNET request, DWORD auth_targets, DWORD auth_scheme,
                           LPCWSTR user_name, LPCWSTR password, LPVOID) {
  auto object = LookUp<Request>(request, HandleKind::kHttpRequest);
  if (!object) return FALSE;
  // Basic is the only scheme offered; the others would need a negotiation
  // this layer does not carry out.
  if (!user_name || !password || auth_scheme != WINHTTP_AUTH_SCHEME_BASIC ||
      (auth_targets != WINHTTP_AUTH_TARGET_SERVER && auth_targets != WINHTTP_AUTH_TARGET_PROXY)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  platform::net::Credentials credentials{platform::net::WideToBytes(Wide(user_name), CP_GBK),
                                         platform::net::WideToBytes(Wide(password), CP_GBK)};
  std::lock_guard lock(object->mutex);
  if (auth_targets == WINHTTP_AUTH_TARGET_SERVER) {
    object->server_credentials = std::move(credentials);
  } else {
    object->proxy_credentials = std::move(credentials);
  }
  return Succeed();
}

BOOL WinHttpSetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD buffer_length) {
  auto object = platform::net::LookUpHandle(
      handle, {HandleKind::kHttpSession, HandleKind::kHttpConnection, HandleKind::kHttpRequest});
  if (!object) return FALSE;
  if (option != WINHTTP_OPTION_DISABLE_FEATURE && option != WINHTTP_OPTION_ENABLE_FEATURE) {
    return Fail(ERROR_WINHTTP_INVALID_OPTION);
  }
  if (object->kind() != HandleKind::kHttpRequest) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  if (!buffer || buffer_length != sizeof(DWORD)) return Fail(ERROR_INVALID_PARAMETER);
  DWORD value;
  std::memcpy(&value, buffer, sizeof value);
  auto request = std::static_pointer_cast<Request>(object);
  std::lock_guard lock(request->mutex);
  if (option == WINHTTP_OPTION_DISABLE_FEATURE) {
    request->disabled |= value;
  } else {
    if (value != WINHTTP_ENABLE_SSL_REVOCATION) return Fail(ERROR_INVALID_PARAMETER);
    request->revocation_check = true;
  }
  return Succeed();
}

BOOL WinHttpCloseHandle(HINTERNET handle) {
  return platform::net::CloseHandle(
      handle, {HandleKind::kHttpSession, HandleKind::kHttpConnection, HandleKind::kHttpRequest});
}
