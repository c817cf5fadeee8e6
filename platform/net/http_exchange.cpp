#include "http_exchange.h"

#include <algorithm>

namespace platform::net {
namespace {

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool SameServer(const HttpUrl& a, const HttpUrl& b) {
  return a.secure == b.secure && a.port == b.port && SameHeaderName(a.host, b.host);
}

WaitLimits StartLimits(const WaitLimits& limits) {
  // Reaching the server is bounded by the connect time-out (and the deadline).
  WaitLimits start;
  start.deadline = limits.deadline;
  return start;
}

}  // namespace

bool HttpExchange::Fail(Failure failure) {
  failure_ = failure;
  return false;
}

HopRequest HttpExchange::NextHop() const {
  HopRequest hop;
  hop.url = request_.url;
  hop.method = request_.method;
  hop.http10 = settings_.http10;
  hop.body = request_.body;
  hop.body_size = request_.body_size;
  hop.content_length = request_.method == "POST" || request_.method == "PUT";
  hop.headers = request_.headers.fields();
  if (settings_.cookies) {
    // The store's cookies join the caller's Cookie line: one line, not two.
    std::string stored = settings_.cookies->CookieLineFor(request_.url);
    if (!stored.empty()) {
      auto line = std::find_if(hop.headers.begin(), hop.headers.end(), [](const HeaderField& f) {
        return SameHeaderName(f.name, "Cookie");
      });
      if (line == hop.headers.end()) {
        hop.headers.push_back({"Cookie", stored});
      } else {
        line->value += line->value.empty() ? stored : "; " + stored;
      }
    }
  }
  if (settings_.keep_alive_header && !request_.headers.Find("Connection")) {
    hop.headers.push_back({"Connection", "Keep-Alive"});
  }
  hop.user_agent = settings_.user_agent;
  hop.proxy = settings_.proxies.For(request_.url);
  // The server's password goes to the server it was given for, never to
  // another one a redirect points at.
  if (SameServer(request_.url, origin_)) hop.server_credentials = settings_.server_credentials;
  hop.proxy_credentials = settings_.proxy_credentials;
  hop.connect_timeout_ms = settings_.connect_timeout_ms;
  hop.reuse_connection = settings_.reuse_connection;
  return hop;
}

bool HttpExchange::Send(ExchangeSettings settings, ExchangeRequest request,
                        const WaitLimits& limits) {
  settings_ = std::move(settings);
  request_ = std::move(request);
  origin_ = request_.url;
  redirects_ = 0;
  failure_ = Failure::kNone;
  transfer_.Begin(NextHop());
  if (!transfer_.WaitStarted(StartLimits(limits))) return Fail(transfer_.failure());
  return true;
}

bool HttpExchange::Receive(const WaitLimits& limits) {
  if (failure_ != Failure::kNone) return false;
  for (;;) {
    if (!transfer_.WaitHead(limits)) return Fail(transfer_.failure());
    const ResponseHead& head = transfer_.head();
    if (settings_.cookies) {
      for (std::string_view value : head.Values("Set-Cookie")) {
        settings_.cookies->Store(request_.url, value);
      }
    }
    if (!settings_.follow_redirects || !IsRedirect(head.status)) return true;
    std::optional<std::string_view> location = head.Value("Location");
    if (!location) return true;  // a redirect without a target is the answer itself

    HttpUrl next;
    if (!ResolveLocation(request_.url, *location, &next)) return Fail(Failure::kRedirectFailed);
    if (++redirects_ > settings_.max_redirects) return Fail(Failure::kRedirectFailed);
    if (request_.url.secure && !next.secure && settings_.https_to_http != Failure::kNone) {
      return Fail(settings_.https_to_http);
    }
    // 303 asks for a GET; 301 and 302 turn a POST into one as browsers do;
    // 307 and 308 repeat the request as it was, body included.
    bool to_get = (head.status == 303 && request_.method != "HEAD") ||
                  ((head.status == 301 || head.status == 302) && request_.method == "POST");
    if (to_get) {
      request_.method = "GET";
      request_.body = nullptr;
      request_.body_size = 0;
    }
    request_.url = std::move(next);
    transfer_.Begin(NextHop());
    if (!transfer_.WaitStarted(StartLimits(limits))) return Fail(transfer_.failure());
  }
}

}  // namespace platform::net
