#include "http_cookies.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform::net {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string BareHost(const HttpUrl& url) {
  return Lower(url.host);
}

bool IsIpLiteral(std::string_view host) {
  return host.starts_with("[") || std::all_of(host.begin(), host.end(), [](char c) {
           return c == '.' || std::isdigit(static_cast<unsigned char>(c));
         });
}

bool DomainMatches(std::string_view host, std::string_view domain) {
  if (host == domain) return true;
  return !IsIpLiteral(host) && host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

// A domain of one label ("com") is a whole top-level domain: a cookie for it
// would go to every site below. Only a host of one label may name itself.
bool MayWidenTo(std::string_view host, std::string_view domain) {
  return domain.find('.') != std::string_view::npos || domain == host;
}

bool PathMatches(std::string_view request_path, std::string_view cookie_path) {
  if (!request_path.starts_with(cookie_path)) return false;
  return request_path.size() == cookie_path.size() || cookie_path.ends_with("/") ||
         request_path[cookie_path.size()] == '/';
}

std::string_view PathOf(const HttpUrl& url) {
  std::string_view target = url.target;
  return target.substr(0, target.find('?'));
}

// The directory of the request path, the default for a cookie without Path.
std::string DefaultPath(const HttpUrl& url) {
  std::string_view path = PathOf(url);
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

}  // namespace

void CookieJar::Store(const HttpUrl& from, std::string_view set_cookie, std::time_t now) {
  size_t semicolon = set_cookie.find(';');
  std::string_view pair = Trim(set_cookie.substr(0, semicolon));
  Cookie cookie;
  size_t equals = pair.find('=');
  if (equals == std::string_view::npos) {
    cookie.value = std::string(pair);  // a bare value is a cookie without a name
  } else {
    cookie.name = std::string(Trim(pair.substr(0, equals)));
    cookie.value = std::string(Trim(pair.substr(equals + 1)));
  }
  if (cookie.name.empty() && cookie.value.empty()) return;

  std::string host = BareHost(from);
  cookie.domain = host;
  cookie.path = DefaultPath(from);
  bool expired = false;
  bool has_max_age = false;
  while (semicolon != std::string_view::npos) {
    set_cookie.remove_prefix(semicolon + 1);
    semicolon = set_cookie.find(';');
    std::string_view attribute = Trim(set_cookie.substr(0, semicolon));
    size_t eq = attribute.find('=');
    std::string name = Lower(Trim(attribute.substr(0, eq)));
    std::string_view value = eq == std::string_view::npos ? "" : Trim(attribute.substr(eq + 1));
    if (name == "domain" && !value.empty()) {
      std::string domain = Lower(value.starts_with(".") ? value.substr(1) : value);
      if (!MayWidenTo(host, domain) || !DomainMatches(host, domain)) return;
      cookie.domain = domain;
      cookie.host_only = domain == host;
    } else if (name == "path" && value.starts_with("/")) {
      cookie.path = std::string(value);
    } else if (name == "secure") {
      cookie.secure = true;
    } else if (name == "max-age" && !value.empty()) {
      char* end = nullptr;
      long long seconds = std::strtoll(std::string(value).c_str(), &end, 10);
      has_max_age = true;
      expired = seconds <= 0;
      cookie.expires =
          expired ? 0 : now + static_cast<std::time_t>(std::min<long long>(seconds, 1LL << 40));
    } else if (name == "expires" && !has_max_age && !value.empty()) {
      std::time_t when = curl_getdate(std::string(value).c_str(), nullptr);
      if (when != -1) {
        expired = when <= now;
        cookie.expires = when;
      }
    }
  }

  std::lock_guard lock(mutex_);
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& c) {
    return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
  });
  if (expired) {
    if (same != cookies_.end()) cookies_.erase(same);
  } else if (same != cookies_.end()) {
    *same = std::move(cookie);
  } else {
    cookies_.push_back(std::move(cookie));
  }
}

std::string CookieJar::CookieLineFor(const HttpUrl& to, std::time_t now) const {
  std::string host = BareHost(to);
  std::string_view path = PathOf(to);
  std::string line;
  std::lock_guard lock(mutex_);
  for (const Cookie& cookie : cookies_) {
    if (cookie.expires != 0 && cookie.expires <= now) continue;
    if (cookie.secure && !to.secure) continue;
    if (cookie.host_only ? host != cookie.domain : !DomainMatches(host, cookie.domain)) continue;
    if (!PathMatches(path, cookie.path)) continue;
    if (!line.empty()) line += "; ";
    line += cookie.name.empty() ? cookie.value : cookie.name + "=" + cookie.value;
  }
  return line;
}

}  // namespace platform::net
