#include "http/request_target.h"

#include "runtime/platform_functions.h"
#include "runtime/wide_text.h"
#include "winhttp.h"

namespace http {
namespace {

// A part the platform found, or the empty string for one it did not.
std::u16string_view Part(const char16_t* start, DWORD length) {
  return start ? std::u16string_view(start, length) : std::u16string_view();
}

}  // namespace

bool CrackRequestUrl(rt::TextRef url, RequestTarget* target) {
  rt::ByteSet wide_url = rt::AnsiToWide(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  // Pointers into the converted URL; user name and password are not asked for.
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!rt::CallPlatformFunction<rt::kWinHttpCrackUrl>(rt::WideChars(wide_url),
                                                      rt::WideLength(wide_url), DWORD{0}, &parts)) {
    return false;
  }
  std::u16string_view host = Part(parts.lpszHostName, parts.dwHostNameLength);
  target->host = rt::WideToAnsi(rt::ByteSet::Copy(host.data(), host.size() * sizeof(char16_t)));
  target->port = parts.nPort;
  // Without a path the query goes too: the request is for "/" alone.
  std::u16string_view path = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (path.empty()) {
    target->object_name = u"/";
  } else {
    target->object_name = path;
    target->object_name += Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  target->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

}  // namespace http
