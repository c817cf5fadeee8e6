// The request routine against loopback servers: what arrives at the server,
// what the caller gets back, and which message each kind of failure leaves.
#include "http/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/net_test_seams.h"
#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/http_test_server.h"
#include "tests/support/test_certificate.h"

namespace {

using test::Gbk;
using test::HttpTestServer;
using test::RawSocketServer;
using testing::HasSubstr;

const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

class HttpRequestTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetHostMapForTests({}); }
  void TearDown() override {
    platform::ClearHostMapForTests();
    platform::SetExtraCaBundleForTests("");
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
  }
};

TEST_F(HttpRequestTest, MethodsAndObjectNamesOnTheWire) {
  HttpTestServer server;
  server.Reply("/", kOk);
  server.Reply("/a", kOk);
  const std::pair<int, const char*> methods[] = {{0, "GET"}, {1, "POST"}, {2, "HEAD"},
                                                 {3, "PUT"}, {7, "GET"},  {-1, "GET"}};
  for (auto [method, verb] : methods) {
    http::HttpRequest({.url = server.Url("/"), .method = method});
    EXPECT_EQ(server.LastRequest().method, verb) << method;
  }
  // Without a path the query is dropped.
  for (auto [target, sent] : {std::pair{"", "/"}, {"?x=1", "/"}, {"/a?b=1", "/a?b=1"}}) {
    EXPECT_EQ(http::HttpRequest(server.Url(target)).str(), "ok");
    EXPECT_EQ(server.LastRequest().target, sent) << target;
  }
}

TEST_F(HttpRequestTest, DefaultHeadersCookieLineAndUtf16Body) {
  HttpTestServer server;
  server.Reply("/", kOk);
  rt::Text cookies = rt::Text::Copy("a=1; b=2");
  http::HttpRequest({.url = server.Url("/"),
                     .method = 1,
                     .post_data = "abc",
                     .cookies = &cookies,
                     .extra_headers = "Referer: x\r\n"});
  test::ReceivedRequest got = server.LastRequest();
  EXPECT_EQ(got.body, std::string("a\0b\0c\0\0\0", 8));
  EXPECT_EQ(got.Header("User-Agent"),
            "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)");
  EXPECT_EQ(got.Header("Accept"), "text/html, application/xhtml+xml, */*");
  EXPECT_EQ(got.Header("Accept-Encoding"), "gbk, GB2312");
  EXPECT_EQ(got.Header("Accept-Language"), "zh-cn");
  EXPECT_EQ(got.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(got.Header("Cookie"), "a=1; b=2");
  EXPECT_EQ(got.Header("Referer"), "x");
  // Two-byte characters go as UTF-16 too.
  http::HttpRequest({.url = server.Url("/"), .method = 3, .post_data = Gbk("中")});
  EXPECT_EQ(server.LastRequest().body, std::string("\x2D\x4E\0\0", 4));
}

TEST_F(HttpRequestTest, CredentialsGoToServerAndProxyOnlyInPairs) {
  HttpTestServer server;
  server.Reply("/", kOk);
  http::HttpRequest({.url = server.Url("/"), .user = "user", .password = "pa:ss"});
  EXPECT_EQ(server.LastRequest().Header("Authorization"), "Basic dXNlcjpwYTpzcw==");
  http::HttpRequest({.url = server.Url("/"), .user = "user"});
  EXPECT_EQ(server.LastRequest().HeaderCount("Authorization"), 0);

  RawSocketServer proxy({RawSocketServer::Send(kOk)});
  std::string address = "127.0.0.1:" + std::to_string(proxy.port());
  EXPECT_EQ(http::HttpRequest({.url = "http://quotes.test/q?x",
                               .proxy = address,
                               .proxy_user = "p",
                               .proxy_password = "w"})
                .str(),
            "ok");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_THAT(proxy.Requests()[0], testing::StartsWith("GET http://quotes.test/q?x HTTP/1.1\r\n"));
  EXPECT_THAT(proxy.Requests()[0], HasSubstr("\r\nProxy-Authorization: Basic cDp3\r\n"));
}

TEST_F(HttpRequestTest, CookiesAndRedirects) {
  HttpTestServer server;
  server.Reply("/start",
               "HTTP/1.1 302 Found\r\nLocation: /next\r\nSet-Cookie: s=1; Path=/\r\n\r\nmoved");
  server.Reply("/next",
               "HTTP/1.1 200 OK\r\nSET-COOKIE: u=3; path=/\r\nset-cookie: old=9\r\n\r\ndone");
  // Omitted cookies: the platform keeps none across the redirect.
  rt::Text new_cookies, location = rt::Text::Copy("kept"), headers;
  EXPECT_EQ(http::HttpRequest({.url = server.Url("/start"),
                               .new_cookies = &new_cookies,
                               .response_headers = &headers,
                               .location = &location})
                .str(),
            "done");
  EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 0);
  EXPECT_EQ(new_cookies.str(), "u=3; old=9");
  EXPECT_EQ(location.str(), "kept");
  EXPECT_THAT(headers.str(), HasSubstr("\r\nSet-Cookie: u=3; path=/\r\nSet-Cookie: old=9\r\n"));
  // Given cookies: sent, kept by the platform, and merged with the answer's.
  rt::Text cookies = rt::Text::Copy("old=0; k=1");
  new_cookies.reset();
  http::HttpRequest(
      {.url = server.Url("/start"), .cookies = &cookies, .new_cookies = &new_cookies});
  EXPECT_EQ(server.LastRequest().Header("Cookie"), "old=0; k=1; s=1");
  EXPECT_EQ(new_cookies.str(), "u=3;old=9");
  EXPECT_EQ(cookies.str(), "u=3; old=9; k=1");
  // Given empty, the merged list still comes back.
  rt::Text empty;
  http::HttpRequest({.url = server.Url("/next"), .cookies = &empty});
  EXPECT_EQ(empty.str(), "u=3; old=9");

  rt::Text status;
  rt::ByteSet body;
  EXPECT_EQ(http::HttpRequest({.url = server.Url("/start"),
                               .no_redirect = true,
                               .location = &location,
                               .status = &status,
                               .body = &body})
                .str(),
            "moved");
  EXPECT_EQ(status.str(), "302 Found");
  EXPECT_EQ(location.str(), "/next");
  EXPECT_EQ(body.view(), "moved");
}

TEST_F(HttpRequestTest, StatusBodyAndDecoding) {
  HttpTestServer server;
  server.Reply("/missing", "HTTP/1.1 404 Not Found\r\n\r\nnot here");
  server.Reply("/utf8",
               "HTTP/1.1 200 OK\r\n\r\n<meta charset=utf-8>\xE8\xA1\x8C\xE6\x83\x85");  // 行情
  server.Reply("/nul", std::string("HTTP/1.1 200 OK\r\n\r\nab\0cd", 24));
  rt::Text status;
  rt::ByteSet body;
  EXPECT_EQ(http::HttpRequest({.url = server.Url("/missing"), .status = &status}).str(),
            "not here");
  EXPECT_EQ(status.str(), "404 Not Found");
  EXPECT_EQ(http::HttpRequest(server.Url("/utf8")).str(), Gbk("<meta charset=utf-8>行情"));
  // The text ends at the first NUL; the body keeps every byte.
  EXPECT_EQ(http::HttpRequest({.url = server.Url("/nul"), .body = &body}).str(), "ab");
  EXPECT_EQ(body.view(), std::string_view("ab\0cd", 5));

  test::TestCertificate certificate;
  platform::SetExtraCaBundleForTests(certificate.pem_path());
  HttpTestServer secure(&certificate);
  secure.Reply("/", kOk);
  EXPECT_EQ(http::HttpRequest(secure.Url("/")).str(), "ok");
}

TEST_F(HttpRequestTest, FailuresAndBadInputLeaveTheirMessageWithinTheTimeout) {
  using S = RawSocketServer;
  int refused;
  {
    S gone({});
    refused = gone.port();
  }
  platform::SetHostMapForTests({{"nowhere.test", ""}});
  HttpTestServer loop;
  loop.Reply("/loop", "HTTP/1.1 302 Found\r\nLocation: /loop\r\n\r\n");
  S silent({S::Hold()}), garbage({S::Send("GARBAGE\r\n\r\n")}),
      huge({S::Send("HTTP/1.1 200 OK\r\nX: " + std::string(1 << 20, 'x') + "\r\n\r\n")}),
      cut({S::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc")});
  const std::pair<std::string, const char*> cases[] = {
      {"127.0.0.1/", "701 解析URL地址失败!"},
      {"ftp://127.0.0.1/", "701 解析URL地址失败!"},
      {"", "701 解析URL地址失败!"},
      {"http://127.0.0.1:" + std::to_string(refused) + "/", "711 发送请求失败!"},
      {"http://nowhere.test/", "711 发送请求失败!"},
      {Gbk("http://行情.cn/"), "711 发送请求失败!"},
      {silent.Url("/"), "712 服务器未响应!"},
      {garbage.Url("/"), "712 服务器未响应!"},
      {huge.Url("/"), "712 服务器未响应!"},
      {loop.Url("/loop"), "712 服务器未响应!"},
      {cut.Url("/"), "200 OK"},  // the read's 713 gives way to the status line
  };
  for (const auto& [url, message] : cases) {
    rt::Text status;
    auto started = std::chrono::steady_clock::now();
    rt::Text text = http::HttpRequest({.url = url, .timeout_seconds = 1, .status = &status});
    EXPECT_EQ(test::Utf8(status.str()), message) << url;
    EXPECT_EQ(text.str(), message == std::string("200 OK") ? "abc" : "") << url;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4)) << url;
  }
}

TEST_F(HttpRequestTest, HundredMegabyteBody) {
  std::string big(100 << 20, 'q');
  big[54321] = 'x';
  HttpTestServer server;
  server.Reply("/big", [&](const test::ReceivedRequest&) { return test::Answer{.body = big}; });
  rt::ByteSet body;
  rt::Text text = http::HttpRequest({.url = server.Url("/big"), .body = &body});
  EXPECT_TRUE(body.view() == big);
  EXPECT_TRUE(text.view() == big);
}

thread_local int pumps = 0;

TEST_F(HttpRequestTest, ConcurrentCallsEachPumpTheirOwnThread) {
  HttpTestServer server;
  server.Reply("/echo", [](const test::ReceivedRequest& request) {
    return test::Answer{.body = request.target};
  });
  rt::SetPendingEventsPump([] { ++pumps; });
  http::HttpRequest(server.Url("/echo?n=0"));
  const int per_request = pumps;
  std::vector<std::thread> threads;
  std::vector<int> counted(6);
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 4; ++i) {
        std::string target = "/echo?t=" + std::to_string(t) + "&i=" + std::to_string(i);
        EXPECT_EQ(http::HttpRequest(server.Url(target)).str(), target);
      }
      counted[t] = pumps;
    });
  }
  for (std::thread& thread : threads) thread.join();
  rt::SetPendingEventsPump(nullptr);
  for (int count : counted) EXPECT_EQ(count, 4 * per_request);
}

}  // namespace
