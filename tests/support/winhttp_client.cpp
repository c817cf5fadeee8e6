#include "tests/support/winhttp_client.h"

#include <vector>

#include "kernel32.h"

namespace test {

std::u16string Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(size), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

WinHttpResult RunWinHttp(const WinHttpCall& call) {
  WinHttpResult result;
  auto fail = [&](const char* step) {
    result.failed_at = step;
    result.error = GetLastError();
    return result;
  };
  std::u16string url = Wide(call.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
    return fail("crack");
  std::u16string host(parts.lpszHostName, parts.dwHostNameLength);
  std::u16string object = parts.dwUrlPathLength == 0
                              ? u"/"
                              : std::u16string(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                    std::u16string(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  WinHttpHandle session(WinHttpOpen(
      nullptr, call.proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
      call.proxy.c_str(), nullptr, 0));
  if (!session) return fail("open");
  WinHttpHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return fail("connect");
  WinHttpHandle request(WinHttpOpenRequest(
      connection.get(), call.verb.c_str(), object.c_str(), nullptr, nullptr, nullptr,
      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return fail("request");
  int t = call.timeout_ms;
  if (!WinHttpSetTimeouts(request.get(), t, t, t, t)) return fail("timeouts");
  if (call.server_credentials &&
      !WinHttpSetCredentials(request.get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                             call.server_credentials->first.c_str(),
                             call.server_credentials->second.c_str(), nullptr)) {
    return fail("credentials");
  }
  if (call.proxy_credentials &&
      !WinHttpSetCredentials(request.get(), WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                             call.proxy_credentials->first.c_str(),
                             call.proxy_credentials->second.c_str(), nullptr)) {
    return fail("credentials");
  }
  if (call.disable != 0) {
    DWORD value = call.disable;
    if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &value, sizeof value)) {
      return fail("option");
    }
  }
  if (!call.headers.empty() &&
      !WinHttpAddRequestHeaders(request.get(), call.headers.c_str(),
                                static_cast<DWORD>(call.headers.size()),
                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
    return fail("headers");
  }
  auto body_size = static_cast<DWORD>(call.body.size());
  if (!WinHttpSendRequest(request.get(), nullptr, 0,
                          body_size ? const_cast<char*>(call.body.data()) : nullptr, body_size,
                          body_size, 0)) {
    return fail("send");
  }
  if (!WinHttpReceiveResponse(request.get(), nullptr)) return fail("receive");
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request.get(), &available)) return fail("available");
    if (available == 0) break;
    std::vector<char> buffer(available);
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), buffer.data(), available, &read)) return fail("read");
    result.body.append(buffer.data(), read);
  }
  DWORD size = 0;
  WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &size,
                      nullptr);
  std::vector<char16_t> wide(size / 2 + 1);
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, wide.data(),
                           &size, nullptr)) {
    return fail("query");
  }
  int units = static_cast<int>(size / 2);
  int bytes = WideCharToMultiByte(CP_GBK, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  result.raw_headers.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_GBK, 0, wide.data(), units, result.raw_headers.data(), bytes, nullptr,
                      nullptr);
  return result;
}

}  // namespace test
