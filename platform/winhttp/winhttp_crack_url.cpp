// WinHttpCrackUrl: a URL split into parts that point into the caller's string.
#include <string_view>

#include "kernel32.h"
#include "net_text.h"
#include "url_components.h"
#include "url_parts.h"
#include "winhttp.h"

BOOL WinHttpCrackUrl(LPCWSTR url, DWORD url_length, DWORD flags, LPURL_COMPONENTS components) {
  using platform::net::UrlError;
  // Decoding and escaping while cracking are not offered; refusing them is
  // better than returning parts the caller did not ask for.
  if (!url || !components || components->dwStructSize != sizeof(URL_COMPONENTS) || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string_view text(url, url_length == 0 ? platform::net::WideLength(url) : url_length);
  platform::net::UrlParts parts;
  switch (platform::net::SplitUrl(text, &parts)) {
    case UrlError::kUnrecognizedScheme:
      SetLastError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
      return FALSE;
    case UrlError::kInvalidUrl:
      SetLastError(ERROR_WINHTTP_INVALID_URL);
      return FALSE;
    case UrlError::kNone:
      break;
  }
  DWORD error = platform::net::FillUrlComponents(
      url, parts, components, parts.secure ? INTERNET_SCHEME_HTTPS : INTERNET_SCHEME_HTTP);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}
