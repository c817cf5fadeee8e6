#include "http/request_target.h"

#include "oleaut32_types.h"
#include "runtime/platform_functions.h"
#include "runtime/wide_text.h"
#include "winhttp.h"

namespace http {
namespace {

// A part the platform found, or the empty string for one it did not.
std::basic_string_view<WCHAR> Part(LPCWSTR start, DWORD length) {
  return start ? std::basic_string_view<WCHAR>(start, length) : std::basic_string_view<WCHAR>();
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
  std::basic_string_view<WCHAR> host = Part(parts.lpszHostName, parts.dwHostNameLength);
  target->host = rt::WideToAnsi(rt::ByteSet::Copy(host.data(), host.size() * sizeof(WCHAR)));
  target->port = parts.nPort;
  // Without a path the query goes too: the request is for "/" alone.
  std::basic_string_view<WCHAR> path = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (path.empty()) {
    target->object_name = OLESTR("/");
  } else {
    target->object_name = path;
    target->object_name += Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  target->secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

}  // namespace http
