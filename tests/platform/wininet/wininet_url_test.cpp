#include <gtest/gtest.h>

#include <string>

#include "kernel32.h"
#include "wininet.h"

namespace {

std::string Canonical(const char* url, DWORD flags) {
  char buffer[256];
  DWORD size = sizeof buffer;
  if (!InternetCanonicalizeUrlA(url, buffer, &size, flags))
    return "error " + std::to_string(GetLastError());
  return std::string(buffer, size);
}

TEST(WinInetUrlTest, CanonicalFormsInBrowserMode) {
  const char* mixed = "http://www.winehq.org/%27/ /./>/#>  ";
  EXPECT_EQ(Canonical(mixed, ICU_NO_ENCODE), "http://www.winehq.org/%27/ />/#>");
  EXPECT_EQ(Canonical(mixed, 0), "http://www.winehq.org/%27/%20/%3E/#>");
  EXPECT_EQ(Canonical("  HTTP://h", 0), "http://h/");
  EXPECT_EQ(Canonical("http://h/a/../b?x=<y> z#q r", 0), "http://h/b?x=<y> z#q r");
  EXPECT_EQ(Canonical("no scheme here", 0), "error 12005");
}

TEST(WinInetUrlTest, CanonicalizeReportsTheNeededSize) {
  char buffer[8];
  DWORD size = sizeof buffer;
  EXPECT_FALSE(InternetCanonicalizeUrlA("http://host/", buffer, &size, 0));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 13u);
}

TEST(WinInetUrlTest, CrackingUsesTheWinInetSchemeNumbers) {
  std::string url = "https://u:p@pic.test/quotepic/1.png#top";
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = parts.dwUrlPathLength =
      parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  ASSERT_TRUE(InternetCrackUrlA(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(parts.nScheme, INET_SCHEME_HTTPS);
  EXPECT_EQ(parts.nPort, 443);
  EXPECT_EQ(std::string(parts.lpszHostName, parts.dwHostNameLength), "pic.test");
  EXPECT_EQ(std::string(parts.lpszUserName, parts.dwUserNameLength), "u");
  EXPECT_EQ(std::string(parts.lpszPassword, parts.dwPasswordLength), "p");
  EXPECT_EQ(std::string(parts.lpszExtraInfo, parts.dwExtraInfoLength), "#top");
  EXPECT_FALSE(InternetCrackUrlA("gopher://h/", 0, 0, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_UNRECOGNIZED_SCHEME);
}

}  // namespace
