#include "url_parts.h"

namespace platform::net {
namespace {

template <class Char>
Char Lower(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <class Char>
bool EqualsIgnoringCase(std::basic_string_view<Char> text, std::string_view ascii) {
  if (text.size() != ascii.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != static_cast<Char>(ascii[i])) return false;
  }
  return true;
}

template <class Char>
size_t FindFirstOf(std::basic_string_view<Char> text, size_t from, std::string_view set) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] < 0x80 && set.find(static_cast<char>(text[i])) != std::string_view::npos) return i;
  }
  return text.size();
}

UrlSpan Span(size_t begin, size_t end) {
  return UrlSpan{begin, end - begin, true};
}

}  // namespace

template <class Char>
UrlError SplitUrl(std::basic_string_view<Char> url, UrlParts* parts) {
  size_t colon = FindFirstOf(url, 0, ":");
  if (colon == url.size() || colon == 0) return UrlError::kUnrecognizedScheme;
  auto scheme = url.substr(0, colon);
  UrlParts result;
  if (EqualsIgnoringCase(scheme, "http")) {
    result.secure = false;
  } else if (EqualsIgnoringCase(scheme, "https")) {
    result.secure = true;
  } else {
    return UrlError::kUnrecognizedScheme;
  }
  result.scheme = Span(0, colon);
  if (url.size() < colon + 3 || url[colon + 1] != '/' || url[colon + 2] != '/') {
    return UrlError::kInvalidUrl;
  }
  size_t authority_begin = colon + 3;
  size_t authority_end = FindFirstOf(url, authority_begin, "/?#");
  if (authority_end == authority_begin) return UrlError::kInvalidUrl;

  // The last '@' ends the user information, which may itself hold '@'.
  size_t host_begin = authority_begin;
  for (size_t i = authority_end; i > authority_begin; --i) {
    if (url[i - 1] == '@') {
      host_begin = i;
      size_t user_colon = FindFirstOf(url.substr(0, i - 1), authority_begin, ":");
      result.user = Span(authority_begin, user_colon);
      if (user_colon < i - 1) result.password = Span(user_colon + 1, i - 1);
      break;
    }
  }

  size_t host_end;
  if (host_begin < authority_end && url[host_begin] == '[') {
    size_t bracket = FindFirstOf(url.substr(0, authority_end), host_begin, "]");
    if (bracket == authority_end) return UrlError::kInvalidUrl;
    host_end = bracket + 1;
    if (host_end != authority_end && url[host_end] != ':') return UrlError::kInvalidUrl;
  } else {
    host_end = FindFirstOf(url.substr(0, authority_end), host_begin, ":");
  }
  if (host_end == host_begin) return UrlError::kInvalidUrl;
  result.host = Span(host_begin, host_end);

  result.port = result.secure ? 443 : 80;
  if (host_end < authority_end) {  // a ':' and maybe a number
    uint32_t port = 0;
    size_t digits = 0;
    for (size_t i = host_end + 1; i < authority_end; ++i, ++digits) {
      if (url[i] < '0' || url[i] > '9') return UrlError::kInvalidUrl;
      port = port * 10 + static_cast<uint32_t>(url[i] - '0');
      if (port > 65535) return UrlError::kInvalidUrl;
    }
    if (digits > 0) result.port = static_cast<int>(port);
  }

  size_t path_end = FindFirstOf(url, authority_end, "?#");
  result.path = Span(authority_end, path_end);
  result.extra = Span(path_end, url.size());
  *parts = result;
  return UrlError::kNone;
}

template UrlError SplitUrl(std::basic_string_view<char> url, UrlParts* parts);
template UrlError SplitUrl(std::basic_string_view<char16_t> url, UrlParts* parts);

}  // namespace platform::net
