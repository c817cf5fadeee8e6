// A session's cookie store: what Set-Cookie lines of earlier responses ask to
// be sent back, and the one Cookie line for the next request.
#pragma once

#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "http_url.h"

namespace platform::net {

class CookieJar {
 public:
  // Stores (or replaces, or with an expiry in the past removes) the cookie of
  // one Set-Cookie value received from `from`. A Domain attribute that does not
  // cover the host, or names a bare top-level domain, is refused, as it would
  // let one site set another's cookies.
  void Store(const HttpUrl& from, std::string_view set_cookie,
             std::time_t now = std::time(nullptr));
  // "a=1; b=2": the cookies for `to`, oldest first; "" when there are none.
  std::string CookieLineFor(const HttpUrl& to, std::time_t now = std::time(nullptr)) const;

 private:
  struct Cookie {
    std::string name, value, domain, path;
    bool host_only = true;
    bool secure = false;
    std::time_t expires = 0;  // 0: until the session ends
  };
  mutable std::mutex mutex_;
  std::vector<Cookie> cookies_;
};

}  // namespace platform::net
