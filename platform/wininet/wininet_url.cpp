// InternetCanonicalizeUrlA and InternetCrackUrlA.
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "http_url.h"
#include "kernel32.h"
#include "url_components.h"
#include "url_parts.h"
#include "wininet.h"

namespace {

bool IsSchemeCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// Browser-mode canonical form: white space around the URL dropped, the
// scheme in lower case, an empty path made "/", "." and ".." segments
// resolved and, unless `encode` is false, unsafe characters of the path
// escaped. The query and the fragment stay exactly as they are.
bool Canonicalize(std::string_view url, bool encode, std::string* result) {
  while (!url.empty() && static_cast<unsigned char>(url.front()) <= ' ') url.remove_prefix(1);
  while (!url.empty() && static_cast<unsigned char>(url.back()) <= ' ') url.remove_suffix(1);
  size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0 ||
      !std::isalpha(static_cast<unsigned char>(url[0]))) {
    return false;
  }
  for (size_t i = 0; i < colon; ++i) {
    if (!IsSchemeCharacter(url[i])) return false;
  }
  std::string text;
  for (size_t i = 0; i < colon; ++i) {
    text += static_cast<char>(std::tolower(static_cast<unsigned char>(url[i])));
  }
  text += ':';
  std::string_view rest = url.substr(colon + 1);
  std::string_view fragment;
  if (size_t hash = rest.find('#'); hash != std::string_view::npos) {
    fragment = rest.substr(hash);
    rest = rest.substr(0, hash);
  }
  if (!rest.starts_with("//")) {  // an opaque URL such as mailto: is left alone
    *result = text + std::string(rest) + std::string(fragment);
    return true;
  }
  size_t authority_end = rest.find_first_of("/?", 2);
  if (authority_end == std::string_view::npos) authority_end = rest.size();
  text += rest.substr(0, authority_end);
  rest.remove_prefix(authority_end);
  size_t query = rest.find('?');
  std::string path = platform::net::RemoveDotSegments(rest.substr(0, query));
  if (path.empty()) path.push_back('/');
  if (encode) path = platform::net::EscapeTarget(path, platform::net::EscapeSet::kUnsafe);
  text += path;
  if (query != std::string_view::npos) text += rest.substr(query);
  text += fragment;
  *result = std::move(text);
  return true;
}

}  // namespace

BOOL InternetCanonicalizeUrlA(LPCSTR url, LPSTR buffer, LPDWORD buffer_length, DWORD flags) {
  if (!url || !buffer_length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string canonical;
  if (!Canonicalize(url, !(flags & ICU_NO_ENCODE), &canonical)) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return FALSE;
  }
  DWORD needed = static_cast<DWORD>(canonical.size() + 1);
  if (!buffer || *buffer_length < needed) {
    *buffer_length = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, canonical.c_str(), needed);
  *buffer_length = needed - 1;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL InternetCrackUrlA(LPCSTR url, DWORD url_length, DWORD flags, URL_COMPONENTSA* components) {
  using platform::net::UrlError;
  // Decoding and escaping while cracking are not offered.
  if (!url || !components || components->dwStructSize != sizeof(URL_COMPONENTSA) ||
      (flags & (ICU_DECODE | ICU_ESCAPE))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string_view text(url, url_length == 0 ? std::strlen(url) : url_length);
  platform::net::UrlParts parts;
  switch (platform::net::SplitUrl(text, &parts)) {
    case UrlError::kUnrecognizedScheme:
      SetLastError(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
      return FALSE;
    case UrlError::kInvalidUrl:
      SetLastError(ERROR_INTERNET_INVALID_URL);
      return FALSE;
    case UrlError::kNone:
      break;
  }
  DWORD error = platform::net::FillUrlComponents(
      url, parts, components, parts.secure ? INET_SCHEME_HTTPS : INET_SCHEME_HTTP);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}
