// A named proxy setting: the proxy list and the bypass list as both internet
// layers take them, and the choice of proxy for one URL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "http_url.h"

namespace platform::net {

class ProxyList {
 public:
  ProxyList() = default;
  // Entries "[scheme=][scheme://]server[:port]" separated by ';' or white
  // space: "http=p:8080" serves http URLs only, a bare "p:8080" every scheme.
  // Bypass entries are host patterns ('*' wildcards, case ignored) and
  // "<local>" for any host without a dot.
  static ProxyList Parse(std::string_view proxies, std::string_view bypass);

  bool empty() const { return entries_.empty(); }
  // "host:port" of the proxy for `url`, or "" to go direct.
  std::string For(const HttpUrl& url) const;

 private:
  struct Entry {
    std::string scheme;  // "" for every scheme
    std::string server;
  };
  std::vector<Entry> entries_;
  std::vector<std::string> bypass_;
};

}  // namespace platform::net
