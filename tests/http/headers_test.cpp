#include <gtest/gtest.h>

#include <string>

#include "http/request_headers.h"
#include "http/response_headers.h"
#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"

namespace {

const std::string kDefaultLines =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache\r\n";

TEST(RequestHeaders, CallerLinesComeFirstThenEveryMissingDefault) {
  EXPECT_EQ(http::BuildRequestHeaders("Referer: x\r\n", nullptr).str(),
            "Referer: x\r\n" + kDefaultLines);
  EXPECT_EQ(http::BuildRequestHeaders(nullptr, "").str(), kDefaultLines);
}

TEST(RequestHeaders, NamesAreFoundCaseInsensitivelyAnywhere) {
  std::string headers = http::BuildRequestHeaders("user-agent: A\r\n", nullptr).str();
  EXPECT_EQ(headers.find("User-Agent: Mozilla"), std::string::npos);
  EXPECT_NE(headers.find("Accept: text/html"), std::string::npos);
  // "Accept: " occurs inside "X-Accept: ", so that line suppresses the default.
  headers = http::BuildRequestHeaders("X-Accept: 1\r\n", nullptr).str();
  EXPECT_EQ(headers.find("Accept: text/html"), std::string::npos);
  EXPECT_NE(headers.find("Accept-Encoding: gbk"), std::string::npos);
}

TEST(RequestHeaders, CallerLineWithoutLineEndRunsIntoTheDefaults) {
  std::string headers = http::BuildRequestHeaders("Referer: x", nullptr).str();
  EXPECT_EQ(headers.rfind("Referer: xUser-Agent: ", 0), 0u);
}

TEST(RequestHeaders, CookieLineOnlyWhenCookiesGivenAndNoneWritten) {
  EXPECT_EQ(http::BuildRequestHeaders(nullptr, "a=1; b=2").str(),
            kDefaultLines + "Cookie: a=1; b=2\r\n");
  std::string own = http::BuildRequestHeaders("cookie: z=9\r\n", "a=1").str();
  EXPECT_EQ(own.find("a=1"), std::string::npos);
}

TEST(ResponseHeaders, StatusIsTheTextAfterTheProtocolUpToTheLineEnd) {
  EXPECT_EQ(http::StatusFromHeaders("HTTP/1.1 200 OK\r\nA: b\r\n\r\n").str(), "200 OK");
  EXPECT_EQ(http::StatusFromHeaders("HTTP/1.1 404 Not Found\r\n").str(), "404 Not Found");
  EXPECT_EQ(http::StatusFromHeaders("HTTP/1.1 200 OK").get(), nullptr);
  EXPECT_EQ(http::StatusFromHeaders("").get(), nullptr);
}

TEST(ResponseHeaders, CollectsCookiesAndNormalisesTheirHeaderName) {
  http::ResponseHeaderFields fields;
  http::ProcessResponseHeaders(
      "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", fields, nullptr);
  EXPECT_EQ(fields.status.str(), "200 OK");
  EXPECT_EQ(fields.new_cookies.str(), "a=1; b=2");
  EXPECT_EQ(fields.response_headers.str(),
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n");
  EXPECT_EQ(fields.location.get(), nullptr);
}

TEST(ResponseHeaders, LaterLocationLineWins) {
  http::ResponseHeaderFields fields;
  fields.location = rt::Text::Copy("unchanged");
  http::ProcessResponseHeaders("HTTP/1.1 302 Found\r\nlocation: /a\r\nLocation: /b\r\n\r\n", fields,
                               nullptr);
  EXPECT_EQ(fields.location.str(), "/b");
  http::ResponseHeaderFields none;
  none.location = rt::Text::Copy("unchanged");
  http::ProcessResponseHeaders("HTTP/1.1 200 OK\r\n\r\n", none, nullptr);
  EXPECT_EQ(none.location.str(), "unchanged");
}

TEST(ResponseHeaders, GivenCookiesReceiveTheMergedList) {
  http::ResponseHeaderFields fields;
  rt::Text cookies = rt::Text::Copy("a=1; b=2");
  http::ProcessResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\n\r\n", fields,
                               &cookies);
  EXPECT_EQ(cookies.str(), "b=3; a=1");
  EXPECT_EQ(fields.new_cookies.str(), "b=3");
}

TEST(ResponseHeaders, BlocksWithoutLineEndsOrHugeOnesAreHandled) {
  http::ResponseHeaderFields fields;
  http::ProcessResponseHeaders("garbage without line ends", fields, nullptr);
  EXPECT_EQ(fields.status.get(), nullptr);
  EXPECT_EQ(fields.new_cookies.get(), nullptr);

  std::string huge = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 2000; ++i)
    huge += "X-Filler-" + std::to_string(i) + ": " + std::string(200, 'v') + "\r\n";
  huge += "Set-Cookie: last=1\r\n\r\n";
  http::ResponseHeaderFields big;
  http::ProcessResponseHeaders(huge, big, nullptr);
  EXPECT_EQ(big.new_cookies.str(), "last=1");
}

TEST(ResponseHeaders, GbkHeaderValuesAreNotSplitInsideCharacters) {
  // The trail byte of 乱 (C2 D2) is no line end; a cookie value in Chinese survives whole.
  std::string block = "HTTP/1.1 200 OK\r\nSet-Cookie: n=" + test::Gbk("股票") + "\r\n\r\n";
  http::ResponseHeaderFields fields;
  http::ProcessResponseHeaders(block, fields, nullptr);
  EXPECT_EQ(fields.new_cookies.str(), "n=" + test::Gbk("股票"));
}

}  // namespace
