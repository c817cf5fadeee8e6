// Where one request goes, and the text work on its target: escaping unsafe
// characters and resolving a redirect's Location against the current URL.
#pragma once

#include <string>
#include <string_view>

namespace platform::net {

struct HttpUrl {
  bool secure = false;
  std::string host;  // as written in the URL ("[::1]" keeps its brackets)
  int port = 80;
  std::string target;  // path and query, always starting with '/', no fragment

  int DefaultPort() const { return secure ? 443 : 80; }
  // "http://host:port/target" with an escaped target, as libcurl takes it.
  std::string Text() const;
};

enum class EscapeSet {
  kUnsafe,           // space, controls, non-ASCII, and " # < > [ \ ] ^ ` { | }
  kSpaceAndControl,  // only what would break the request line
};
// %XX for every byte of the set; '%' stays as it is.
std::string EscapeTarget(std::string_view target, EscapeSet set);

// RFC 3986 removal of "." and ".." segments from a path.
std::string RemoveDotSegments(std::string_view path);

// Resolves a Location value (absolute, scheme-relative, absolute-path or
// relative) against `base`. False for a scheme other than http / https or an
// unusable host part. The fragment is dropped; spaces, controls and non-ASCII
// bytes are escaped.
bool ResolveLocation(const HttpUrl& base, std::string_view location, HttpUrl* next);

}  // namespace platform::net
