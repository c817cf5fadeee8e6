// Splitting an absolute http or https URL into its parts, for the cracking
// calls of both internet layers (UTF-16 and byte texts alike). Parts are
// offsets into the caller's text, so the callers can hand out pointers into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform::net {

struct UrlSpan {
  size_t offset = 0;
  size_t length = 0;
  bool present = false;
};

struct UrlParts {
  bool secure = false;  // https
  UrlSpan scheme, user, password, host, path, extra;
  int port = 0;  // the URL's port, or 80 / 443 by scheme
};

enum class UrlError { kNone, kUnrecognizedScheme, kInvalidUrl };

// Scheme letters before the first ':' compare case-insensitively; anything but
// http / https is unrecognised. After "//" comes [user[:password]@]host[:port],
// ending at '/', '?' or '#'; the path runs to the first '?' or '#', the extra
// information from there to the end. An empty port means the default; a port
// above 65535 or with other characters is invalid. No percent-decoding.
template <class Char>
UrlError SplitUrl(std::basic_string_view<Char> url, UrlParts* parts);

extern template UrlError SplitUrl(std::basic_string_view<char> url, UrlParts* parts);
extern template UrlError SplitUrl(std::basic_string_view<char16_t> url, UrlParts* parts);

}  // namespace platform::net
