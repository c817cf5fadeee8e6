#include "http_url.h"

#include "url_parts.h"

namespace platform::net {
namespace {

bool IsUnsafe(unsigned char c, EscapeSet set) {
  if (c <= 0x20 || c >= 0x7F) return true;
  if (set == EscapeSet::kSpaceAndControl) return false;
  return std::string_view("\"#<>[\\]^`{|}").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string WithoutFragment(std::string_view text) {
  return std::string(text.substr(0, text.find('#')));
}

}  // namespace

std::string HttpUrl::Text() const {
  std::string text = secure ? "https://" : "http://";
  text += host;
  text += ':';
  text += std::to_string(port);
  text += EscapeTarget(target, EscapeSet::kSpaceAndControl);
  return text;
}

std::string EscapeTarget(std::string_view target, EscapeSet set) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(target.size());
  for (char ch : target) {
    auto c = static_cast<unsigned char>(ch);
    if (IsUnsafe(c, set)) {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0xF];
    } else {
      escaped += ch;
    }
  }
  return escaped;
}

std::string RemoveDotSegments(std::string_view path) {
  std::string input(path), output;
  while (!input.empty()) {
    if (input.starts_with("../")) {
      input.erase(0, 3);
    } else if (input.starts_with("./")) {
      input.erase(0, 2);
    } else if (input.starts_with("/./")) {
      input.erase(0, 2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.starts_with("/../") || input == "/..") {
      input = input.size() == 3 ? "/" : input.substr(3);
      size_t last = output.rfind('/');
      output.erase(last == std::string::npos ? 0 : last);
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      output += input.substr(0, next);
      input.erase(0, next == std::string::npos ? input.size() : next);
    }
  }
  return output;
}

bool ResolveLocation(const HttpUrl& base, std::string_view location, HttpUrl* next) {
  // Servers sometimes surround the value with spaces; they are not part of it.
  while (!location.empty() && (location.front() == ' ' || location.front() == '\t')) {
    location.remove_prefix(1);
  }
  while (!location.empty() && (location.back() == ' ' || location.back() == '\t')) {
    location.remove_suffix(1);
  }
  std::string reference = WithoutFragment(location);
  HttpUrl result = base;
  if (reference.starts_with("//")) reference = (base.secure ? "https:" : "http:") + reference;

  size_t colon = reference.find(':');
  size_t first_delimiter = reference.find_first_of("/?");
  if (colon != std::string::npos && colon < first_delimiter) {  // absolute
    UrlParts parts;
    if (SplitUrl(std::string_view(reference), &parts) != UrlError::kNone) return false;
    if (parts.user.present) return false;  // credentials in a redirect are refused
    result.secure = parts.secure;
    result.host = reference.substr(parts.host.offset, parts.host.length);
    result.port = parts.port;
    std::string path = reference.substr(parts.path.offset, parts.path.length);
    result.target = RemoveDotSegments(path.empty() ? "/" : path) +
                    reference.substr(parts.extra.offset, parts.extra.length);
  } else if (reference.starts_with("/")) {
    size_t query = reference.find('?');
    result.target = RemoveDotSegments(reference.substr(0, query)) +
                    (query == std::string::npos ? "" : reference.substr(query));
  } else if (reference.empty()) {
    // The same document again.
  } else {
    std::string base_path = base.target.substr(0, base.target.find('?'));
    if (reference.starts_with("?")) {
      result.target = base_path + reference;
    } else {
      size_t query = reference.find('?');
      std::string merged =
          base_path.substr(0, base_path.rfind('/') + 1) + reference.substr(0, query);
      result.target =
          RemoveDotSegments(merged) + (query == std::string::npos ? "" : reference.substr(query));
    }
  }
  result.target = EscapeTarget(result.target, EscapeSet::kSpaceAndControl);
  if (result.target.empty() || result.target[0] != '/') result.target = "/" + result.target;
  *next = std::move(result);
  return true;
}

}  // namespace platform::net
