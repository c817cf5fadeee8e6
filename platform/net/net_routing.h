// Where a request may go: host name checks, the test host map and the test CA
// bundle, applied to each libcurl transfer.
#pragma once

#include <string>
#include <string_view>

namespace platform::net {

// Letters, digits, '-', '.', '_' or a bracketed IPv6 literal. Anything else
// (spaces, '@', '/', non-ASCII) never reaches the resolver.
bool IsValidHostName(std::string_view host);

struct HostRoute {
  bool resolvable = true;
  std::string resolve_entry;  // "name:port:address" for CURLOPT_RESOLVE, or ""
};
// How `host` is reached on `port`: not at all when the name is invalid or the
// test map refuses it.
HostRoute RouteHost(std::string_view host, int port);

// The test CA bundle, or "" for the system's.
std::string ExtraCaBundle();

}  // namespace platform::net
