// One request as the caller sees it: the first hop, then the redirects the
// policy allows, each a fresh hop with its cookies and headers, until the
// final response. Both internet layers run their requests through this.
#pragma once

#include <optional>
#include <string>

#include "http_cookies.h"
#include "http_header_list.h"
#include "http_proxy.h"
#include "http_transfer.h"
#include "http_url.h"

namespace platform::net {

struct ExchangeSettings {
  bool http10 = false;
  bool follow_redirects = true;
  int max_redirects = 10;
  Failure https_to_http = Failure::kRedirectFailed;  // how a downgrade fails
  CookieJar* cookies = nullptr;                      // null: none stored or sent
  bool keep_alive_header = false;                    // add "Connection: Keep-Alive" when absent
  bool reuse_connection = true;                      // see HopRequest
  std::string user_agent;
  ProxyList proxies;
  std::optional<Credentials> server_credentials;  // sent to the first hop's server only
  std::optional<Credentials> proxy_credentials;
  long connect_timeout_ms = 0;
};

struct ExchangeRequest {
  HttpUrl url;
  std::string method = "GET";
  const unsigned char* body = nullptr;  // borrowed until the final head arrived
  size_t body_size = 0;
  HeaderList headers;
};

class HttpExchange {
 public:
  // Starts the first hop; true once its request is going out.
  bool Send(ExchangeSettings settings, ExchangeRequest request, const WaitLimits& limits);
  // Waits for the final response, following redirects as the settings allow.
  bool Receive(const WaitLimits& limits);

  Transfer& transfer() { return transfer_; }
  Failure failure() const { return failure_; }
  const HttpUrl& url() const { return request_.url; }  // of the latest hop
  void Cancel() { transfer_.Cancel(); }

 private:
  HopRequest NextHop() const;
  bool Fail(Failure failure);

  Transfer transfer_;
  ExchangeSettings settings_;
  ExchangeRequest request_;
  HttpUrl origin_;
  int redirects_ = 0;
  Failure failure_ = Failure::kNone;
};

}  // namespace platform::net
