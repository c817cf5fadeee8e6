#include <gtest/gtest.h>

#include <string>

#include "kernel32.h"
#include "winhttp.h"

namespace {

struct Cracked {
  BOOL ok = FALSE;
  DWORD error = 0;
  URL_COMPONENTS parts{};
};

// Asks for scheme, host, path and extra as pointers into `url`, as the
// request routine does.
Cracked Crack(const std::u16string& url, bool want_extra = true) {
  Cracked result;
  result.parts.dwStructSize = sizeof(URL_COMPONENTS);
  result.parts.nScheme = -7;
  result.parts.dwSchemeLength = result.parts.dwHostNameLength = result.parts.dwUrlPathLength =
      static_cast<DWORD>(-1);
  if (want_extra) result.parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  result.ok = WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &result.parts);
  result.error = GetLastError();
  return result;
}

std::u16string Part(LPWSTR pointer, DWORD length) {
  return pointer ? std::u16string(pointer, length) : u"(null)";
}

TEST(WinHttpCrackUrlTest, PartsPointIntoTheCallersString) {
  std::u16string url = u"HTTP://qt.gtimg.cn:8080/q=sz000001?a=1#top";
  Cracked c = Crack(url);
  ASSERT_TRUE(c.ok) << c.error;
  EXPECT_EQ(c.parts.nScheme, INTERNET_SCHEME_HTTP);
  EXPECT_EQ(c.parts.lpszScheme, url.data());
  EXPECT_EQ(c.parts.lpszHostName, url.data() + 7);
  EXPECT_EQ(Part(c.parts.lpszHostName, c.parts.dwHostNameLength), u"qt.gtimg.cn");
  EXPECT_EQ(c.parts.nPort, 8080);
  EXPECT_EQ(Part(c.parts.lpszUrlPath, c.parts.dwUrlPathLength), u"/q=sz000001");
  // The fragment stays in the extra information.
  EXPECT_EQ(Part(c.parts.lpszExtraInfo, c.parts.dwExtraInfoLength), u"?a=1#top");
}

TEST(WinHttpCrackUrlTest, PortsAndEmptyParts) {
  struct Case {
    std::u16string url;
    INTERNET_SCHEME scheme;
    int port;
    std::u16string host, path, extra;
  } cases[] = {
      {u"https://h/post?", INTERNET_SCHEME_HTTPS, 443, u"h", u"/post", u"?"},
      {u"http://h:/a;b", INTERNET_SCHEME_HTTP, 80, u"h", u"/a;b", u""},
      {u"http://h:0/", INTERNET_SCHEME_HTTP, 0, u"h", u"/", u""},
      {u"http://h:65535", INTERNET_SCHEME_HTTP, 65535, u"h", u"", u""},
      {u"http://host?x=1", INTERNET_SCHEME_HTTP, 80, u"host", u"", u"?x=1"},
      {u"http://u:p@h/%20", INTERNET_SCHEME_HTTP, 80, u"h", u"/%20", u""},
  };
  for (const Case& expected : cases) {
    Cracked c = Crack(expected.url);
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.parts.nScheme, expected.scheme);
    EXPECT_EQ(c.parts.nPort, expected.port);
    EXPECT_EQ(Part(c.parts.lpszHostName, c.parts.dwHostNameLength), expected.host);
    EXPECT_EQ(Part(c.parts.lpszUrlPath, c.parts.dwUrlPathLength), expected.path);
    EXPECT_EQ(Part(c.parts.lpszExtraInfo, c.parts.dwExtraInfoLength), expected.extra);
  }
  std::u16string bare = u"http://www.winehq.org";
  Cracked c = Crack(bare);
  EXPECT_EQ(c.parts.lpszUrlPath, bare.data() + bare.size());
  EXPECT_EQ(c.parts.lpszExtraInfo, bare.data() + bare.size());
}

TEST(WinHttpCrackUrlTest, WithoutExtraThePathKeepsTheQuery) {
  std::u16string url = u"http://h/a?b=1";
  Cracked c = Crack(url, false);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(Part(c.parts.lpszUrlPath, c.parts.dwUrlPathLength), u"/a?b=1");
  EXPECT_EQ(c.parts.lpszExtraInfo, nullptr);
}

TEST(WinHttpCrackUrlTest, BadUrlsFailWithTheirErrorAndLeaveTheSchemeAlone) {
  std::pair<std::u16string, DWORD> cases[] = {
      {u"", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
      {u"www.x.com/a", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
      {u"ftp://h/", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
      {u" http://h/", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
      {u"http:x", ERROR_WINHTTP_INVALID_URL},
      {u"http:/x", ERROR_WINHTTP_INVALID_URL},
      {u"http://", ERROR_WINHTTP_INVALID_URL},
      {u"http:///a", ERROR_WINHTTP_INVALID_URL},
      {u"http://h:65536/", ERROR_WINHTTP_INVALID_URL},
      {u"http://h:8o/", ERROR_WINHTTP_INVALID_URL},
  };
  for (const auto& [url, error] : cases) {
    Cracked c = Crack(url);
    EXPECT_FALSE(c.ok) << std::string(url.begin(), url.end());
    EXPECT_EQ(c.error, error) << std::string(url.begin(), url.end());
    EXPECT_EQ(c.parts.nScheme, -7);
  }
}

TEST(WinHttpCrackUrlTest, CopiesIntoBuffersOrReportsTheNeededSize) {
  std::u16string url = u"http://example.test/path";
  char16_t host[8];
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 8;
  EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(parts.dwHostNameLength, 13u);  // "example.test" and its NUL

  char16_t bigger[13];
  parts.lpszHostName = bigger;
  ASSERT_TRUE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(std::u16string(bigger), u"example.test");
  EXPECT_EQ(parts.dwHostNameLength, 12u);
}

}  // namespace
