// The WinHTTP layer against loopback servers: what arrives on the wire, what
// the caller gets back, and at which step each kind of failure surfaces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "blocking_wait.h"
#include "kernel32.h"
#include "net_test_seams.h"
#include "tests/support/http_test_server.h"
#include "tests/support/test_certificate.h"
#include "tests/support/winhttp_client.h"
#include "winhttp.h"

namespace {

using test::HttpTestServer;
using test::RawSocketServer;
using test::RunWinHttp;
using test::WinHttpCall;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;

class WinHttpRequestTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetHostMapForTests({}); }
  void TearDown() override {
    platform::ClearHostMapForTests();
    platform::SetExtraCaBundleForTests("");
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
  }
  static WinHttpCall Call(std::string url) {
    WinHttpCall call;
    call.url = std::move(url);
    return call;
  }
};

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

TEST_F(WinHttpRequestTest, RequestLinesOnTheWire) {
  RawSocketServer server({RawSocketServer::Send(kOk)});
  std::string host = "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
  WinHttpCall get = Call(server.Url("/q=sz000001?x=1"));
  WinHttpCall post = Call(server.Url("/post"));
  post.verb = u"POST";
  post.body = std::string("a\0b\0c\0\0\0", 8);  // a UTF-16 body with its terminator
  WinHttpCall empty_post = Call(server.Url("/p"));
  empty_post.verb = u"POST";
  WinHttpCall head = Call(server.Url("/a b%41\"x\""));
  head.verb = u"HEAD";
  head.headers = u"Accept: */*\r\nX-Gone:\r\n";  // with REPLACE an empty value only removes
  for (const WinHttpCall* call : {&get, &post, &empty_post, &head}) {
    auto result = RunWinHttp(*call);
    ASSERT_EQ(result.failed_at, "") << result.error;
  }
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0],
            "GET /q=sz000001?x=1 HTTP/1.1\r\n" + host + "Connection: Keep-Alive\r\n\r\n");
  EXPECT_EQ(requests[1], "POST /post HTTP/1.1\r\n" + host +
                             "Connection: Keep-Alive\r\nContent-Length: 8\r\n\r\n" + post.body);
  EXPECT_EQ(requests[2],
            "POST /p HTTP/1.1\r\n" + host + "Connection: Keep-Alive\r\nContent-Length: 0\r\n\r\n");
  // Unsafe characters are escaped, '%' is not.
  EXPECT_EQ(requests[3], "HEAD /a%20b%41%22x%22 HTTP/1.1\r\n" + host +
                             "Accept: */*\r\nConnection: Keep-Alive\r\n\r\n");
}

TEST_F(WinHttpRequestTest, ALineBreakInTheAgentOrReferrerEndsItsValue) {
  RawSocketServer server({RawSocketServer::Send(kOk)});
  test::WinHttpHandle session(
      WinHttpOpen(u"agent\rX-Injected: 1", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", server.port(), 0));
  test::WinHttpHandle request(WinHttpOpenRequest(connection.get(), u"GET", u"/", nullptr,
                                                 u"/from\nX-Injected: 2", nullptr, 0));
  ASSERT_TRUE(WinHttpSendRequest(request.get(), nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(request.get(), nullptr));
  ASSERT_EQ(server.Requests().size(), 1u);
  std::string sent = server.Requests()[0];
  EXPECT_THAT(sent, HasSubstr("\r\nUser-Agent: agent\r\n"));
  EXPECT_THAT(sent, HasSubstr("\r\nReferer: /from\r\n"));
  EXPECT_THAT(sent, Not(HasSubstr("X-Injected")));
}

TEST_F(WinHttpRequestTest, RawHeadersAreTheFinalStatusLineAndLinesAsReceived) {
  RawSocketServer server({RawSocketServer::Send(
      "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nX-Name: \xD6\xD0\r\n"
      "set-cookie: a=1\r\nContent-Length: 9\r\n\r\nnot here!")});
  auto result = RunWinHttp(Call(server.Url("/")));
  ASSERT_EQ(result.failed_at, "") << result.error;
  EXPECT_EQ(
      result.raw_headers,
      "HTTP/1.1 404 Not Found\r\nX-Name: \xD6\xD0\r\nset-cookie: a=1\r\nContent-Length: 9\r\n\r\n");
  EXPECT_EQ(result.body, "not here!");
}

TEST_F(WinHttpRequestTest, HeaderQueryReportsItsSizeTheWayThePlatformDoes) {
  HttpTestServer server;
  server.Reply("/", kOk);
  test::WinHttpHandle session(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", server.port(), 0));
  test::WinHttpHandle request(
      WinHttpOpenRequest(connection.get(), u"GET", u"/", nullptr, nullptr, nullptr, 0));
  DWORD size = 0;
  EXPECT_FALSE(WinHttpQueryHeaders(request.get(), 22, nullptr, nullptr, &size, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  EXPECT_FALSE(WinHttpReceiveResponse(request.get(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  ASSERT_TRUE(WinHttpSendRequest(request.get(), nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(request.get(), nullptr));
  EXPECT_FALSE(WinHttpQueryHeaders(request.get(), 22, nullptr, nullptr, &size, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  std::vector<char16_t> buffer(size / 2);
  DWORD needed = size;
  ASSERT_TRUE(WinHttpQueryHeaders(request.get(), 22, nullptr, buffer.data(), &size, nullptr));
  EXPECT_EQ(size, needed - 2);  // the NUL is written but not counted
  EXPECT_EQ(buffer[size / 2], u'\0');
  EXPECT_EQ(std::u16string(buffer.data()).substr(0, 17), u"HTTP/1.1 200 OK\r\n");
}

TEST_F(WinHttpRequestTest, RedirectsAreFollowedWithCookiesMergedIntoOneLine) {
  HttpTestServer server;
  server.Reply(
      "/start",
      "HTTP/1.1 302 Found\r\nLocation: next?a=1#frag\r\nSet-Cookie: s=1; Path=/\r\n"
      "set-cookie: gone=1; Max-Age=0\r\nSet-Cookie: other=1; Domain=elsewhere.test\r\n\r\n");
  server.Reply("/next", "HTTP/1.1 303 See Other\r\nLocation: /final\r\nSET-COOKIE: t=2\r\n\r\n");
  server.Reply("/final", "HTTP/1.1 200 OK\r\nX-Final: 1\r\n\r\ndone");
  WinHttpCall call = Call(server.Url("/start"));
  call.verb = u"POST";
  call.body = "payload";
  call.headers = u"Cookie: mine=0\r\n";
  auto result = RunWinHttp(call);
  ASSERT_EQ(result.failed_at, "") << result.error;
  EXPECT_EQ(result.body, "done");
  EXPECT_THAT(result.raw_headers, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(result.raw_headers, Not(HasSubstr("Set-Cookie")));
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].method, "GET");  // 302 turns the POST into a GET without body
  EXPECT_EQ(requests[1].target, "/next?a=1");
  EXPECT_EQ(requests[1].body, "");
  EXPECT_EQ(requests[1].HeaderCount("Cookie"), 1);
  EXPECT_EQ(requests[1].Header("Cookie"), "mine=0; s=1");
  EXPECT_EQ(requests[2].Header("Cookie"), "mine=0; s=1; t=2");
}

TEST_F(WinHttpRequestTest, TemporaryRedirectKeepsTheBodyAndDisabledFeaturesStayOff) {
  HttpTestServer server;
  server.Reply("/a", "HTTP/1.1 307 Temporary Redirect\r\nLocation: /b\r\nSet-Cookie: s=1\r\n\r\n");
  server.Reply("/b", kOk);
  WinHttpCall call = Call(server.Url("/a"));
  call.verb = u"PUT";
  call.body = "data";
  call.disable = WINHTTP_DISABLE_COOKIES;
  ASSERT_EQ(RunWinHttp(call).failed_at, "");
  auto second = server.LastRequest();
  EXPECT_EQ(second.method, "PUT");
  EXPECT_EQ(second.body, "data");
  EXPECT_EQ(second.HeaderCount("Cookie"), 0);

  call.disable = WINHTTP_DISABLE_REDIRECTS;
  auto result = RunWinHttp(call);
  ASSERT_EQ(result.failed_at, "");
  EXPECT_THAT(result.raw_headers, StartsWith("HTTP/1.1 307 Temporary Redirect\r\n"));
  EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(WinHttpRequestTest, RedirectLoopsAndDowngradesFailAtReceive) {
  HttpTestServer server;
  server.Reply("/loop", "HTTP/1.1 301 Moved\r\nLocation: /loop\r\n\r\n");
  auto loop = RunWinHttp(Call(server.Url("/loop")));
  EXPECT_EQ(loop.failed_at, "receive");
  EXPECT_EQ(loop.error, ERROR_WINHTTP_REDIRECT_FAILED);
  EXPECT_EQ(server.Requests().size(), 11u);  // the request and ten redirects

  test::TestCertificate certificate;
  platform::SetExtraCaBundleForTests(certificate.pem_path());
  HttpTestServer secure(&certificate);
  secure.Reply("/down", "HTTP/1.1 302 Found\r\nLocation: " + server.Url("/loop") + "\r\n\r\n");
  auto down = RunWinHttp(Call(secure.Url("/down")));
  EXPECT_EQ(down.failed_at, "receive");
  EXPECT_EQ(down.error, ERROR_WINHTTP_REDIRECT_FAILED);
  EXPECT_EQ(server.Requests().size(), 11u);
}

TEST_F(WinHttpRequestTest, HttpsUsesHttp11AndATrustedCertificate) {
  test::TestCertificate certificate({.dns_names = {"localhost", "quotes.test"}});
  HttpTestServer server(&certificate);
  server.Reply("/", kOk);
  std::string url = "https://quotes.test:" + std::to_string(server.port()) + "/";
  platform::SetHostMapForTests({{"quotes.test", "127.0.0.1"}, {"other.test", "127.0.0.1"}});
  auto untrusted = RunWinHttp(Call(url));
  EXPECT_EQ(untrusted.failed_at, "send");
  EXPECT_EQ(untrusted.error, ERROR_WINHTTP_SECURE_FAILURE);

  platform::SetExtraCaBundleForTests(certificate.pem_path());
  auto trusted = RunWinHttp(Call(url));
  ASSERT_EQ(trusted.failed_at, "") << trusted.error;
  EXPECT_THAT(trusted.raw_headers, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(server.LastRequest().version, "HTTP/1.1");
  EXPECT_EQ(server.LastRequest().Header("Host"), "quotes.test:" + std::to_string(server.port()));

  auto wrong_name = RunWinHttp(Call("https://other.test:" + std::to_string(server.port()) + "/"));
  EXPECT_EQ(wrong_name.failed_at, "send");
  EXPECT_EQ(wrong_name.error, ERROR_WINHTTP_SECURE_FAILURE);
}

TEST_F(WinHttpRequestTest, BasicCredentialsAndANamedProxy) {
  HttpTestServer server;
  server.Reply("/", kOk);
  WinHttpCall call = Call(server.Url("/"));
  call.server_credentials = {{u"user", u"pa:ss"}};
  ASSERT_EQ(RunWinHttp(call).failed_at, "");
  EXPECT_EQ(server.LastRequest().Header("Authorization"), "Basic dXNlcjpwYTpzcw==");

  // The proxy sees the absolute target; the "http=" entry serves http only.
  RawSocketServer proxy({RawSocketServer::Send(kOk)});
  call = Call("http://quotes.test/q?x");
  call.proxy = test::Wide("http=127.0.0.1:" + std::to_string(proxy.port()));
  call.proxy_credentials = {{u"p", u"w"}};
  ASSERT_EQ(RunWinHttp(call).failed_at, "");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_THAT(proxy.Requests()[0], StartsWith("GET http://quotes.test/q?x HTTP/1.1\r\n"));
  EXPECT_THAT(proxy.Requests()[0], HasSubstr("\r\nProxy-Authorization: Basic cDp3\r\n"));
  // Exceptions in the environment do not send a request around the proxy.
  setenv("no_proxy", "*", 1);
  call = Call(server.Url("/around"));
  call.proxy = test::Wide("127.0.0.1:" + std::to_string(proxy.port()));
  auto around = RunWinHttp(call);
  unsetenv("no_proxy");
  ASSERT_EQ(around.failed_at, "");
  ASSERT_EQ(proxy.Requests().size(), 2u);
  EXPECT_THAT(proxy.Requests()[1], StartsWith("GET " + server.Url("/around") + " HTTP/1.1\r\n"));

  test::TestCertificate certificate;
  platform::SetExtraCaBundleForTests(certificate.pem_path());
  HttpTestServer secure(&certificate);
  secure.Reply("/", kOk);
  call = Call(secure.Url("/"));
  call.proxy = test::Wide("http=127.0.0.1:" + std::to_string(proxy.port()));
  ASSERT_EQ(RunWinHttp(call).failed_at, "");
  EXPECT_EQ(proxy.Requests().size(), 2u);
}

TEST_F(WinHttpRequestTest, ReachingTheServerFailsAtSend) {
  int closed_port;
  {
    RawSocketServer gone({});
    closed_port = gone.port();
  }
  platform::SetHostMapForTests({{"nowhere.test", ""}});
  std::pair<std::string, DWORD> cases[] = {
      {"http://127.0.0.1:" + std::to_string(closed_port) + "/", ERROR_WINHTTP_CANNOT_CONNECT},
      {"http://nowhere.test/", ERROR_WINHTTP_NAME_NOT_RESOLVED},
      {"http://unmapped.example/", ERROR_WINHTTP_NAME_NOT_RESOLVED},
      {"http://\xE8\xA1\x8C\xE6\x83\x85.cn/", ERROR_WINHTTP_NAME_NOT_RESOLVED},
  };
  for (const auto& [url, error] : cases) {
    auto result = RunWinHttp(Call(url));
    EXPECT_EQ(result.failed_at, "send") << url;
    EXPECT_EQ(result.error, error) << url;
  }
}

TEST_F(WinHttpRequestTest, AConnectThatNeverCompletesFailsAtSendAfterTheConnectLimit) {
  test::FullBacklogListener listener;
  test::WinHttpHandle session(
      WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", listener.port(), 0));
  test::WinHttpHandle request(
      WinHttpOpenRequest(connection.get(), u"GET", u"/", nullptr, nullptr, nullptr, 0));
  // The resolve limit has no say over a connect.
  ASSERT_TRUE(WinHttpSetTimeouts(request.get(), 60000, 300, 300, 300));
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(WinHttpSendRequest(request.get(), nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_TIMEOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(WinHttpRequestTest, MisbehavingServersFailAtReceiveOrRead) {
  using S = RawSocketServer;
  struct Case {
    S::Script script;
    std::string failed_at;
    DWORD error;
  } cases[] = {
      {{S::Hold()}, "receive", ERROR_WINHTTP_TIMEOUT},
      {{}, "receive", ERROR_WINHTTP_INVALID_SERVER_RESPONSE},
      {{S::Send("GARBAGE\r\n\r\n")}, "receive", ERROR_WINHTTP_INVALID_SERVER_RESPONSE},
      {{S::Send("HTTP/1.1 200 OK\r\n" + std::string(1 << 20, 'x') + "\r\n\r\n")},
       "receive",
       ERROR_WINHTTP_HEADER_SIZE_OVERFLOW},
      {{S::Send("HTTP/1.1 200 OK\r\n"), S::Send(std::string(70000, 'a') + ": b\r\n")},
       "receive",
       ERROR_WINHTTP_HEADER_SIZE_OVERFLOW},
      {{S::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc")},
       "read",
       ERROR_WINHTTP_CONNECTION_ERROR},
      {{S::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), S::Hold()},
       "read",
       ERROR_WINHTTP_TIMEOUT},
  };
  for (const Case& c : cases) {
    S server(c.script);
    WinHttpCall call = Call(server.Url("/"));
    call.timeout_ms = 300;
    auto started = std::chrono::steady_clock::now();
    auto result = RunWinHttp(call);
    EXPECT_EQ(result.failed_at, c.failed_at) << c.failed_at << " " << c.error;
    EXPECT_EQ(result.error, c.error) << c.failed_at << " " << c.error;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  }
}

TEST_F(WinHttpRequestTest, SlowAndChunkedBodiesArriveWhole) {
  using S = RawSocketServer;
  S slow({S::Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n"), S::Pause(200), S::Send("ab"),
          S::Pause(200), S::Send("cd")});
  WinHttpCall call = Call(slow.Url("/"));
  call.timeout_ms = 300;  // each wait is shorter, the whole body is not
  auto trickled = RunWinHttp(call);
  ASSERT_EQ(trickled.failed_at, "") << trickled.error;
  EXPECT_EQ(trickled.body, "abcd");

  HttpTestServer server;
  server.Reply("/c",
               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(1000, 'z'));
  auto chunked = RunWinHttp(Call(server.Url("/c")));
  EXPECT_EQ(chunked.body, std::string(1000, 'z'));
}

TEST_F(WinHttpRequestTest, HundredMegabyteBodiesGoBothWays) {
  std::string big(100 << 20, 'q');
  big[12345] = 'x';
  HttpTestServer server;
  server.Reply("/big", [&](const test::ReceivedRequest& request) {
    test::Answer answer;
    answer.body = request.body.empty() ? big : std::to_string(request.body.size());
    return answer;
  });
  auto down = RunWinHttp(Call(server.Url("/big")));
  ASSERT_EQ(down.failed_at, "") << down.error;
  EXPECT_EQ(down.body.size(), big.size());
  EXPECT_TRUE(down.body == big);

  WinHttpCall up = Call(server.Url("/big"));
  up.verb = u"POST";
  up.body = big;
  auto result = RunWinHttp(up);
  ASSERT_EQ(result.failed_at, "") << result.error;
  EXPECT_EQ(result.body, std::to_string(big.size()));
}

TEST_F(WinHttpRequestTest, AnEarlyAnswerLetsTheCallerFreeTheBodyAtOnce) {
  RawSocketServer server({RawSocketServer::Send(kOk), RawSocketServer::Drain()}, false);
  test::WinHttpHandle session(
      WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", server.port(), 0));
  test::WinHttpHandle request(
      WinHttpOpenRequest(connection.get(), u"POST", u"/", nullptr, nullptr, nullptr, 0));
  ASSERT_TRUE(WinHttpSetTimeouts(request.get(), 300, 300, 300, 300));
  auto body = std::make_unique<std::string>(16 << 20, 'b');  // more than the socket buffers hold
  auto size = static_cast<DWORD>(body->size());
  ASSERT_TRUE(WinHttpSendRequest(request.get(), nullptr, 0, body->data(), size, size, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(request.get(), nullptr));
  body.reset();  // allowed once the response is in; the sanitizer sees any later use
  char answer[2];
  DWORD read = 0;
  ASSERT_TRUE(WinHttpReadData(request.get(), answer, sizeof answer, &read));
  EXPECT_EQ(std::string(answer, read), "ok");
  DWORD available = 1;
  EXPECT_TRUE(WinHttpQueryDataAvailable(request.get(), &available));  // sends the rest
  EXPECT_EQ(available, 0u);
}

// Which connection each request came on, numbered in order of first use.
std::vector<int> ConnectionOrder(const std::vector<test::ReceivedRequest>& requests) {
  std::vector<int> ports, order;
  for (const test::ReceivedRequest& request : requests) {
    auto seen = std::find(ports.begin(), ports.end(), request.client_port);
    if (seen == ports.end()) seen = ports.insert(ports.end(), request.client_port);
    order.push_back(static_cast<int>(seen - ports.begin()));
  }
  return order;
}

TEST_F(WinHttpRequestTest, LaterSessionsReuseAnIdleConnectionButNotItsCookies) {
  test::TestCertificate certificate;
  platform::SetExtraCaBundleForTests(certificate.pem_path());
  for (const test::TestCertificate* secure :
       {static_cast<test::TestCertificate*>(nullptr), &certificate}) {
    HttpTestServer server(secure);
    server.Reply("/set", "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\nContent-Length: 2\r\n\r\nok");
    server.Reply("/", kOk);
    for (const char* target : {"/set", "/", "/"}) {
      auto result = RunWinHttp(Call(server.Url(target)));  // a session of its own each
      ASSERT_EQ(result.failed_at, "") << result.error;
    }
    auto requests = server.Requests();
    EXPECT_EQ(ConnectionOrder(requests), std::vector<int>({0, 0, 0})) << server.Url("/");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].HeaderCount("Cookie") + requests[2].HeaderCount("Cookie"), 0);
  }
}

TEST_F(WinHttpRequestTest, ConcurrentSessionsOnSeveralThreadsShareTheKeptConnections) {
  HttpTestServer server;
  server.Reply("/", kOk);
  constexpr int kThreads = 4;
  constexpr int kRequestsEach = 10;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRequestsEach; ++i) {
        if (!RunWinHttp(Call(server.Url("/"))).failed_at.empty()) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  auto order = ConnectionOrder(server.Requests());
  ASSERT_EQ(order.size(), static_cast<size_t>(kThreads * kRequestsEach));
  // Never more connections than requests at one time.
  EXPECT_LT(*std::max_element(order.begin(), order.end()), kThreads);
}

TEST_F(WinHttpRequestTest, KeepAliveOffAConnectionCloseOrALongIdleEndsAConnection) {
  struct Step {
    const char* target;
    DWORD disable = 0;
    int idle_ms = 0;  // waited before the request
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> connections;
  } cases[] = {
      {"keep-alive off", {{"/", WINHTTP_DISABLE_KEEP_ALIVE}, {"/"}}, {0, 1}},
      // The request without keep-alive does not take the idle connection,
      // and leaves it for the next one.
      {"keep-alive off between", {{"/"}, {"/", WINHTTP_DISABLE_KEEP_ALIVE}, {"/"}}, {0, 1, 0}},
      {"the answer closes", {{"/close"}, {"/"}}, {0, 1}},
      {"idle too long", {{"/"}, {"/", 0, 400}}, {0, 1}},
  };
  platform::SetIdleConnectionAgeForTests(std::chrono::milliseconds(200));
  for (const Case& c : cases) {
    HttpTestServer server;
    server.Reply("/", kOk);
    server.Reply("/close", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok");
    for (const Step& step : c.steps) {
      std::this_thread::sleep_for(std::chrono::milliseconds(step.idle_ms));
      WinHttpCall call = Call(server.Url(step.target));
      call.disable = step.disable;
      auto result = RunWinHttp(call);
      ASSERT_EQ(result.failed_at, "") << c.name << " " << result.error;
    }
    EXPECT_EQ(ConnectionOrder(server.Requests()), c.connections) << c.name;
  }
  platform::SetIdleConnectionAgeForTests(std::chrono::milliseconds(0));
}

TEST_F(WinHttpRequestTest, AConnectionTheServerClosedWhileIdleIsReplacedUnseen) {
  using S = RawSocketServer;
  // Closed right after the answer, or only once the next request arrives on
  // it, too late for any check before sending: either way the request goes
  // out again on a new connection, its body with it.
  for (const S::Script& script :
       {S::Script{S::Send(kOk)}, S::Script{S::Send(kOk), S::AwaitMore()}}) {
    S server(script);
    ASSERT_EQ(RunWinHttp(Call(server.Url("/first"))).failed_at, "");
    WinHttpCall post = Call(server.Url("/second"));
    post.verb = u"POST";
    post.body = "payload";
    auto result = RunWinHttp(post);
    ASSERT_EQ(result.failed_at, "") << result.error;
    EXPECT_EQ(result.body, "ok");
    auto requests = server.Requests();  // the first request of each connection
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_THAT(requests[1], StartsWith("POST /second HTTP/1.1\r\n"));
    EXPECT_THAT(requests[1], testing::EndsWith("\r\n\r\npayload"));
  }
}

// A request the blocked wait's hook makes on the waiting thread, as a window
// thread's nested handler does, and its result.
std::string nested_url;
std::optional<test::WinHttpResult> nested_result;

void NestedRequest() {
  if (nested_result) return;
  nested_result.emplace();  // once, even if its own wait runs the hook
  WinHttpCall call;
  call.url = nested_url;
  nested_result = RunWinHttp(call);
}

TEST_F(WinHttpRequestTest, ARequestNestedInAnotherOnesWaitRunsOnHandlesOfItsOwn) {
  HttpTestServer server;
  server.Reply("/inner", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\ninner");
  RawSocketServer slow({RawSocketServer::Pause(300), RawSocketServer::Send(kOk)});
  ASSERT_EQ(RunWinHttp(Call(slow.Url("/warm"))).failed_at, "");  // leaves handles idle
  nested_url = server.Url("/inner");
  nested_result.reset();
  platform::SetBlockingWaitHook(&NestedRequest);
  auto outer = RunWinHttp(Call(slow.Url("/outer")));
  platform::SetBlockingWaitHook(nullptr);
  ASSERT_TRUE(nested_result.has_value());
  EXPECT_EQ(nested_result->failed_at, "") << nested_result->error;
  EXPECT_EQ(nested_result->body, "inner");
  EXPECT_EQ(outer.failed_at, "") << outer.error;
  EXPECT_EQ(outer.body, "ok");
}

TEST_F(WinHttpRequestTest, HandlesCloseInAnyOrderAndCheckTheirKind) {
  HttpTestServer server;
  server.Reply("/", kOk);
  HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  HINTERNET connection = WinHttpConnect(session, u"localhost", server.port(), 0);
  HINTERNET request =
      WinHttpOpenRequest(connection, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(WinHttpConnect(request, u"localhost", 80, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  EXPECT_TRUE(WinHttpCloseHandle(session));
  EXPECT_TRUE(WinHttpCloseHandle(connection));
  EXPECT_FALSE(WinHttpCloseHandle(connection));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_TRUE(WinHttpReceiveResponse(request, nullptr));
  EXPECT_TRUE(WinHttpCloseHandle(request));
  EXPECT_EQ(server.LastRequest().target, "/");
}

TEST_F(WinHttpRequestTest, ClosingABlockedRequestEndsItsWait) {
  RawSocketServer server({RawSocketServer::Hold()});
  test::WinHttpHandle session(
      WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", server.port(), 0));
  HINTERNET request =
      WinHttpOpenRequest(connection.get(), u"GET", u"/", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0));
  std::thread closer([request] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    WinHttpCloseHandle(request);
  });
  EXPECT_FALSE(WinHttpReceiveResponse(request, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_OPERATION_CANCELLED);
  closer.join();
}

TEST_F(WinHttpRequestTest, SettingsRefuseWhatThePlatformRefuses) {
  test::WinHttpHandle session(
      WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
  test::WinHttpHandle connection(WinHttpConnect(session.get(), u"127.0.0.1", 1, 0));
  test::WinHttpHandle request(
      WinHttpOpenRequest(connection.get(), u"GET", u"/", nullptr, nullptr, nullptr, 0));
  DWORD one = 1, two = 2;
  EXPECT_TRUE(WinHttpSetTimeouts(request.get(), 0, -1, 5, 5));
  EXPECT_FALSE(WinHttpSetTimeouts(request.get(), -2, 0, 0, 0));
  EXPECT_FALSE(WinHttpSetCredentials(request.get(), 0, 1, u"user", nullptr, nullptr));
  EXPECT_FALSE(WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &one, 3));
  EXPECT_TRUE(WinHttpSetOption(request.get(), WINHTTP_OPTION_ENABLE_FEATURE, &one, 4));
  EXPECT_FALSE(WinHttpSetOption(request.get(), WINHTTP_OPTION_ENABLE_FEATURE, &two, 4));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WinHttpAddRequestHeaders(request.get(), u"A: b", 0, WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(WinHttpAddRequestHeaders(request.get(), u"bad line", static_cast<DWORD>(-1),
                                        WINHTTP_ADDREQ_FLAG_ADD));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INVALID_HEADER);
  EXPECT_FALSE(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, u"", nullptr, 0));
}

}  // namespace
