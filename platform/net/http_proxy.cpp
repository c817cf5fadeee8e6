#include "http_proxy.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>

namespace platform::net {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  while (!text.empty()) {
    size_t begin = text.find_first_not_of("; \t\r\n");
    if (begin == std::string_view::npos) break;
    size_t end = text.find_first_of("; \t\r\n", begin);
    words.push_back(text.substr(begin, end - begin));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end);
  }
  return words;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

ProxyList ProxyList::Parse(std::string_view proxies, std::string_view bypass) {
  ProxyList list;
  for (std::string_view word : Words(proxies)) {
    Entry entry;
    size_t equals = word.find('=');
    if (equals != std::string_view::npos) {
      entry.scheme = Lower(word.substr(0, equals));
      word.remove_prefix(equals + 1);
    }
    size_t slashes = word.find("://");
    if (slashes != std::string_view::npos) word.remove_prefix(slashes + 3);
    while (!word.empty() && word.back() == '/') word.remove_suffix(1);
    if (word.empty()) continue;
    entry.server = std::string(word);
    list.entries_.push_back(std::move(entry));
  }
  for (std::string_view word : Words(bypass)) list.bypass_.push_back(Lower(word));
  return list;
}

std::string ProxyList::For(const HttpUrl& url) const {
  std::string host = Lower(url.host);
  for (const std::string& pattern : bypass_) {
    if (pattern == "<local>" ? host.find('.') == std::string::npos
                             : fnmatch(pattern.c_str(), host.c_str(), 0) == 0) {
      return "";
    }
  }
  std::string_view scheme = url.secure ? "https" : "http";
  for (const Entry& entry : entries_) {
    if (entry.scheme == scheme) return entry.server;
  }
  for (const Entry& entry : entries_) {
    if (entry.scheme.empty()) return entry.server;
  }
  return "";
}

}  // namespace platform::net
