// What stands behind the WinHTTP layer's handles: a session (agent, proxy,
// cookie store, default time-outs), a connection (server and port) and a
// request (verb, target, settings, headers and its exchange).
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "http_cookies.h"
#include "http_exchange.h"
#include "http_header_list.h"
#include "http_proxy.h"
#include "internet_handles.h"
#include "winhttp.h"

namespace platform::winhttp {

// Milliseconds; 0 is "no limit".
struct Timeouts {
  int resolve = 0;
  int connect = 60000;
  int send = 30000;
  int receive = 30000;
};

struct Session : net::HandleObject {
  Session() : HandleObject(net::HandleKind::kHttpSession) {}
  std::string agent;  // "" sends no User-Agent
  net::ProxyList proxies;
  net::CookieJar cookies;
  std::mutex mutex;  // guards `timeouts`
  Timeouts timeouts;
};

struct Connection : net::HandleObject {
  Connection() : HandleObject(net::HandleKind::kHttpConnection) {}
  std::shared_ptr<Session> session;
  std::string host;
  INTERNET_PORT port = 0;  // 0: the scheme's default
};

struct Request : net::HandleObject {
  enum class State { kOpen, kSent, kReceived };

  Request() : HandleObject(net::HandleKind::kHttpRequest) {}
  void Closed() override { exchange.Cancel(); }

  std::shared_ptr<Connection> connection;
  std::mutex mutex;  // one call at a time on a request
  std::string verb;
  std::string target;  // escaped path and query
  bool secure = false;
  bool http10 = false;
  Timeouts timeouts;
  DWORD disabled = 0;  // WINHTTP_DISABLE_* bits
  bool revocation_check = false;
  std::optional<net::Credentials> server_credentials;
  std::optional<net::Credentials> proxy_credentials;
  net::HeaderList headers;
  State state = State::kOpen;
  net::HttpExchange exchange;
  // The raw header block in UTF-16 as last asked for (level 21 or 22), kept
  // for the query that follows a size query; empty until then.
  std::u16string raw_headers;
  DWORD raw_headers_level = 0;
};

// The platform's error number for a failed exchange.
DWORD ErrorFor(net::Failure failure);

}  // namespace platform::winhttp
