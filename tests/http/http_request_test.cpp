// The request routine against loopback servers (what arrives, what comes
// back, which message each failure leaves), and as the platform table sees
// it: stand-ins that record every WinHTTP call and forward it or fail it.
#include "http/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

#include "ole32_state.h"
// Our platform's seams keep every name but loopback unresolvable and count
// the open handles; the system's libraries have no such seams, and no test
// name resolves there either.
#ifndef _WIN32
#include "loader_test_seams.h"
#include "net_test_seams.h"
#endif
#include "runtime/core_commands.h"
#include "runtime/platform_functions.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/http_test_server.h"
#include "tests/support/wine_difference.h"

namespace {

using test::Gbk;
using test::HttpTestServer;
using test::RawSocketServer;
using testing::ElementsAre;
using testing::HasSubstr;

const char kOk[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
thread_local int pumps = 0;

class HttpRequestTest : public testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    platform::SetHostMapForTests({});
#endif
    rt::SetPendingEventsPump([] { ++pumps; });
    pumps = 0;
    com_depth_ = platform::CoInitializeDepthForThisThread();
  }
  void TearDown() override {
    rt::SetPendingEventsPump(nullptr);
#ifndef _WIN32
    platform::ClearHostMapForTests();
    platform::SetExtraCaBundleForTests("");
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
#endif
    EXPECT_EQ(platform::CoInitializeDepthForThisThread(), com_depth_);
  }
  int com_depth_ = 0;
};

TEST_F(HttpRequestTest, MethodsObjectNamesHeadersAndBodyOnTheWire) {
  HttpTestServer server;
  server.Reply("/", kOk);
  server.Reply("/a", kOk);
  for (auto [method, verb] :
       {std::pair{0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "PUT"}, {7, "GET"}, {-1, "GET"}}) {
    http::HttpRequest({.url = server.Url("/"), .method = method});
    EXPECT_EQ(server.LastRequest().method, verb) << method;
  }
  // Without a path the query is dropped.
  for (auto [target, sent] : {std::pair{"", "/"}, {"?x=1", "/"}, {"/a?b=1", "/a?b=1"}}) {
    EXPECT_EQ(http::HttpRequest(server.Url(target)).str(), "ok");
    EXPECT_EQ(server.LastRequest().target, sent) << target;
  }
  rt::Text cookies = rt::Text::Copy("a=1; b=2");
  http::HttpRequest({.url = server.Url("/"),
                     .method = 1,
                     .post_data = "abc",
                     .cookies = &cookies,
                     .extra_headers = "Referer: x\r\n"});
  test::ReceivedRequest got = server.LastRequest();
  EXPECT_EQ(got.body, std::string("a\0b\0c\0\0\0", 8));  // UTF-16 with its terminator
  std::string seen;
  for (const char* name : {"User-Agent", "Accept", "Accept-Encoding", "Accept-Language",
                           "Cache-Control", "Cookie", "Referer"}) {
    seen += got.Header(name) + "|";
  }
  EXPECT_EQ(seen,
            "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)|"
            "text/html, application/xhtml+xml, */*|gbk, GB2312|zh-cn|no-cache|a=1; b=2|x|");
  http::HttpRequest({.url = server.Url("/"), .user = "user", .password = "pa:ss"});
  EXPECT_EQ(server.LastRequest().Header("Authorization"), "Basic dXNlcjpwYTpzcw==");
}

TEST_F(HttpRequestTest, OutParametersCookiesRedirectsAndDecoding) {
  HttpTestServer server;
  server.Reply("/start", "HTTP/1.1 302 Found\r\nLocation: /next\r\nSet-Cookie: s=1\r\n\r\nmoved");
  server.Reply("/next", std::string("HTTP/1.1 404 Not Found\r\nSET-COOKIE: u=3; path=/\r\n"
                                    "set-cookie: old=9\r\n\r\nab\0cd",
                                    75));
  server.Reply("/utf8", "HTTP/1.1 200 OK\r\n\r\n<meta charset=utf-8>\xE8\xA1\x8C\xE6\x83\x85");
  rt::Text new_cookies, headers, status, location = rt::Text::Copy("kept"), cookies;
  rt::ByteSet body;
  const std::string start = server.Url("/start");
  http::HttpRequestArgs args{.url = start,
                             .new_cookies = &new_cookies,
                             .response_headers = &headers,
                             .location = &location,
                             .status = &status,
                             .body = &body};
  // Omitted cookies are not kept across the redirect. An error page is text
  // too, up to its first NUL; the body keeps every byte.
  EXPECT_EQ(http::HttpRequest(args).str(), "ab");
  EXPECT_EQ(server.LastRequest().HeaderCount("Cookie"), 0);
  EXPECT_EQ(status.str(), "404 Not Found");
  EXPECT_EQ(body.view(), std::string_view("ab\0cd", 5));
  EXPECT_EQ(new_cookies.str(), "u=3; old=9");
  EXPECT_EQ(location.str(), "kept");
  EXPECT_THAT(headers.str(), HasSubstr("\r\nSet-Cookie: u=3; path=/\r\nSet-Cookie: old=9\r\n"));
  // Given cookies, even empty, are kept and come back merged.
  new_cookies.reset();
  args.cookies = &cookies;
  http::HttpRequest(args);
  EXPECT_EQ(server.LastRequest().Header("Cookie"),
            test::KnownWineDifference(test::wine::kRedirectCookieDropped) ? "" : "s=1");
  EXPECT_EQ(new_cookies.str(), "u=3;old=9");
  EXPECT_EQ(cookies.str(), "u=3; old=9");
  args.no_redirect = true;
  EXPECT_EQ(http::HttpRequest(args).str(), "moved");
  EXPECT_EQ(status.str(), "302 Found");
  EXPECT_EQ(location.str(), "/next");
  // Under Wine the declaration is never read, so the page stays as it came.
  EXPECT_EQ(http::HttpRequest(server.Url("/utf8")).str(),
            test::KnownWineDifference(test::wine::kMatchesUntyped)
                ? std::string("<meta charset=utf-8>\xE8\xA1\x8C\xE6\x83\x85")
                : Gbk("<meta charset=utf-8>行情"));
}

TEST_F(HttpRequestTest, FailuresAndBadInputLeaveTheirMessageWithinTheTimeout) {
  using S = RawSocketServer;
  int refused;
  {
    S gone({});
    refused = gone.port();
  }
#ifndef _WIN32
  platform::SetHostMapForTests({{"nowhere.test", ""}});
#endif
  HttpTestServer loop;
  loop.Reply("/loop", "HTTP/1.1 302 Found\r\nLocation: /loop\r\n\r\n");
  test::FullBacklogListener unanswered;
  S silent({S::Hold()}), garbage({S::Send("GARBAGE\r\n\r\n")}),
      huge({S::Send("HTTP/1.1 200 OK\r\nX: " + std::string(1 << 20, 'x') + "\r\n\r\n")}),
      cut({S::Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc")});
  const std::pair<std::string, const char*> cases[] = {
      {"127.0.0.1/", "701 解析URL地址失败!"},
      {"ftp://127.0.0.1/", "701 解析URL地址失败!"},
      {"", "701 解析URL地址失败!"},
      {"http://127.0.0.1:" + std::to_string(refused) + "/", "711 发送请求失败!"},
#ifndef _WIN32
      // Names that resolve nowhere: only where the host map keeps them from
      // reaching a name server.
      {"http://nowhere.test/", "711 发送请求失败!"},
      {Gbk("http://行情.cn/"), "711 发送请求失败!"},
#endif
      {unanswered.Url("/"), "711 发送请求失败!"},
      {silent.Url("/"), "712 服务器未响应!"},
      {garbage.Url("/"), "712 服务器未响应!"},
      {huge.Url("/"), "712 服务器未响应!"},
      {loop.Url("/loop"), "712 服务器未响应!"},
      {cut.Url("/"), "200 OK"},  // the read's 713 gives way to the status line
  };
  for (auto [url, message] : cases) {
    if (url == silent.Url("/") && test::KnownWineDifference(test::wine::kResponseWaitUnbounded))
      continue;  // the request would wait as long as the server
    if (url == huge.Url("/") && test::KnownWineDifference(test::wine::kHugeHeadAccepted))
      message = "200 OK";
    rt::Text status;
    auto started = std::chrono::steady_clock::now();
    rt::Text text = http::HttpRequest({.url = url, .timeout_seconds = 1, .status = &status});
    EXPECT_EQ(test::Utf8(status.str()), message) << url;
    EXPECT_EQ(text.str(), url == cut.Url("/") ? "abc" : "") << url;
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

// The platform reads the body until the answer's head is in: past the socket
// buffers for a large body, and again on a 307 that repeats the request.
TEST_F(HttpRequestTest, PostBodiesArriveWholeWhenSentLateOrSentAgain) {
  std::string large(512 * 1024 - 1, ' ');  // 1 MiB as UTF-16 with its terminator
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>('a' + i % 26);
  std::string large_wire;
  for (char c : large) large_wire += {c, '\0'};
  large_wire += std::string(2, '\0');
  HttpTestServer server;
  server.Reply("/post", kOk);
  server.Reply("/moved", "HTTP/1.1 307 Temporary Redirect\r\nLocation: /post\r\n\r\n");
  for (auto [target, text, wire] :
       {std::tuple{"/post", large, large_wire},
        {"/moved", std::string("abc"), std::string("a\0b\0c\0\0\0", 8)}}) {
    EXPECT_EQ(http::HttpRequest({.url = server.Url(target), .method = 1, .post_data = text}).str(),
              "ok");
    test::ReceivedRequest got = server.LastRequest();
    EXPECT_EQ(got.target, "/post") << target;
    EXPECT_EQ(got.body.size(), wire.size()) << target;
    EXPECT_TRUE(got.body == wire) << target;
  }
}

TEST_F(HttpRequestTest, ConcurrentCallsEachPumpTheirOwnThread) {
  HttpTestServer server;
  server.Reply("/echo",
               [](const test::ReceivedRequest& r) { return test::Answer{.body = r.target}; });
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
  EXPECT_THAT(counted, testing::Each(4 * per_request));
}

// --- through the platform table ---

struct Recorder {
  std::vector<std::string> calls = {};
  std::map<int, int> failing = {};  // entry -> the call of it that fails (0: every call)
  std::map<int, int> counts = {};
  std::map<const void*, std::string> names = {};  // handles by what opened them
} record;

template <class T>
std::string Shown(T value) {
  if constexpr (std::is_convertible_v<T, LPCWSTR>) {
    std::string ascii = value ? "\"" : "null";
    for (LPCWSTR c = value; c && *c; ++c) ascii += static_cast<char>(*c);
    return value ? ascii + "\"" : ascii;
  } else if constexpr (std::is_pointer_v<T>) {
    return !value ? "null" : record.names.contains(value) ? record.names[value] : "*";
  } else {
    return std::to_string(value);
  }
}

template <int Index, auto Real>
struct Fake;
template <int Index, class R, class... A, R (*Real)(A...)>
struct Fake<Index, Real> {
  static R Call(A... args) {
    std::string line = std::string(rt::PlatformFunctionTable[Index].export_name) + "(";
    ((line += Shown(args) + ","), ...);
    if constexpr (Index == rt::kWinHttpSetOption) {  // the option's value, not its address
      line += std::to_string(*static_cast<DWORD*>(std::get<2>(std::tie(args...)))) + ",";
    }
    if (line.back() == ',') line.pop_back();
    line += ')';
    int call = ++record.counts[Index];
    auto failing = record.failing.find(Index);
    bool fails = failing != record.failing.end() && (!failing->second || failing->second == call);
    record.calls.push_back(fails ? line + " fails" : line);
    if (fails) return R{};
    R result = Real(args...);
    const char* names[] = {"session", "connection", "request"};
    if constexpr (std::is_pointer_v<R>) record.names[result] = names[Index - rt::kWinHttpOpen];
    return result;
  }
};

class HttpRequestStepsTest : public HttpRequestTest {
 protected:
  void SetUp() override {
    HttpRequestTest::SetUp();
    // Entries 1 to 15, in table order.
    InstallAll<::WinHttpCheckPlatform, ::WinHttpCrackUrl, ::WinHttpOpen, ::WinHttpConnect,
               ::WinHttpOpenRequest, ::WinHttpSetTimeouts, ::WinHttpSetCredentials,
               ::WinHttpCloseHandle, ::WinHttpSetOption, ::WinHttpAddRequestHeaders,
               ::WinHttpSendRequest, ::WinHttpReceiveResponse, ::WinHttpQueryDataAvailable,
               ::WinHttpReadData, ::WinHttpQueryHeaders>(std::make_index_sequence<15>());
  }
  void TearDown() override {
    for (auto [index, address] : saved_) rt::ProgramBinding(index).address.store(address);
    HttpRequestTest::TearDown();
  }
  template <auto... Reals, size_t... I>
  void InstallAll(std::index_sequence<I...>) {
    ((saved_[I + 1] = rt::BindPlatformFunction(I + 1),
      rt::ProgramBinding(I + 1).address.store(
          reinterpret_cast<FARPROC>(&Fake<I + 1, Reals>::Call))),
     ...);
  }
  // Runs with a fresh record and returns the calls of entries named `name`.
  std::vector<std::string> Calls(const http::HttpRequestArgs& args, const std::string& name) {
    record = {};
    pumps = 0;
    http::HttpRequest(args);
    std::vector<std::string> found;
    for (const std::string& call : record.calls) {
      if (call.starts_with(name)) found.push_back(call);
    }
    return found;
  }
  std::map<int, FARPROC> saved_;
  RawSocketServer server_{{RawSocketServer::Send(kOk)}};
  std::string url_ = server_.Url("/q?x=1");
};

TEST_F(HttpRequestStepsTest, ArgumentsOfTheSettingsAndTheCleanUp) {
  EXPECT_THAT(Calls({.url = url_}, "WinHttp"),
              testing::IsSupersetOf({"WinHttpOpen(null,1,\"\",null,0)",
                                     "WinHttpOpenRequest(connection,\"GET\",\"/q?x=1\",null,null,"
                                     "null,0)",
                                     "WinHttpSetTimeouts(request,30000,30000,30000,30000)",
                                     "WinHttpSetOption(request,63,*,4,1)"}));
  EXPECT_THAT(std::vector(record.calls.end() - 3, record.calls.end()),
              ElementsAre("WinHttpCloseHandle(request)", "WinHttpCloseHandle(connection)",
                          "WinHttpCloseHandle(session)"));
  EXPECT_EQ(pumps, 9 + 3 + 1);  // stages, the answer's three header lines, the charset search
  for (auto [seconds, ms] : {std::pair{5, "5000"}, {0, "30000"}, {-3, "30000"}}) {
    EXPECT_THAT(Calls({.url = url_, .timeout_seconds = seconds}, "WinHttpSetTimeouts"),
                ElementsAre("WinHttpSetTimeouts(request," + std::string(ms) + "," + ms + "," + ms +
                            "," + ms + ")"));
  }
  // The proxy names the http scheme for a plain URL only.
  EXPECT_THAT(Calls({.url = "https://quotes.test/", .proxy = "p:8080"}, "WinHttpOpen"),
              ElementsAre("WinHttpOpen(null,3,\"p:8080\",null,0)",
                          testing::EndsWith(",8388608)")));  // the secure flag
  EXPECT_THAT(Calls({.url = "http://quotes.test/", .proxy = "p:8080"}, "WinHttpOpen("),
              ElementsAre("WinHttpOpen(null,3,\"http=p:8080\",null,0)"));
  // Credentials need both halves; one alone sets none.
  for (const http::HttpRequestArgs& half : {http::HttpRequestArgs{.url = url_, .user = "u"},
                                            {.url = url_, .password = "p"},
                                            {.url = url_, .proxy_user = "pu"},
                                            {.url = url_, .proxy_password = "pp"}}) {
    EXPECT_THAT(Calls(half, "WinHttpSetCredentials"), testing::IsEmpty());
  }
  rt::Text cookies;
  EXPECT_THAT(
      Calls({.url = url_, .cookies = &cookies, .no_redirect = true}, "WinHttpSetOption"),
      ElementsAre("WinHttpSetOption(request,79,*,4,1)", "WinHttpSetOption(request,63,*,4,2)"));
}

TEST_F(HttpRequestStepsTest, EachFailingStepLeavesItsMessageAndPumpsUpToIt) {
  // Every setting is asked for, so each one's call can fail: the server's
  // credentials are the first SetCredentials call, the proxy's the second.
  const struct {
    std::map<int, int> failing;  // entry -> call
    const char* status;
    int pumps;
  } cases[] = {
      {{{rt::kWinHttpCheckPlatform, 0}}, "700 当前系统不支持WinHttp服务!", 0},
      {{{rt::kWinHttpCrackUrl, 0}}, "701 解析URL地址失败!", 1},
      {{{rt::kWinHttpOpen, 0}}, "702 创建WinHttp会话失败!", 2},
      {{{rt::kWinHttpConnect, 0}}, "703 创建WinHttp连接失败!", 3},
      {{{rt::kWinHttpOpenRequest, 0}}, "704 创建WinHttp请求失败!", 4},
      {{{rt::kWinHttpSetTimeouts, 0}}, "705 设置超时时间失败!", 5},
      {{{rt::kWinHttpSetCredentials, 1}}, "707 设置代理凭证失败!", 5},
      {{{rt::kWinHttpSetCredentials, 2}}, "707 设置代理凭证失败!", 5},
      {{{rt::kWinHttpSetOption, 1}}, "708 禁止自动设置Cookies失败!", 5},
      {{{rt::kWinHttpSetOption, 2}}, "709 重定向设置失败!", 5},
      {{{rt::kWinHttpAddRequestHeaders, 0}}, "710 设置协议头失败!", 6},
      {{{rt::kWinHttpSendRequest, 0}}, "711 发送请求失败!", 7},
      {{{rt::kWinHttpReceiveResponse, 0}}, "712 服务器未响应!", 8},
      // A failed read gives way to the status line, unless the header query
      // fails too; a failed second query leaves everything as it was.
      {{{rt::kWinHttpReadData, 0}}, "200 OK", 13},
      {{{rt::kWinHttpReadData, 0}, {rt::kWinHttpQueryHeaders, 2}}, "713 读取数据失败!", 9},
      {{{rt::kWinHttpQueryHeaders, 2}}, "before", 9},
      {{{rt::kWinHttpQueryDataAvailable, 0}}, "200 OK", 13},  // the body just ends
  };
  for (const auto& c : cases) {
    rt::Text status = rt::Text::Copy("before"), location = rt::Text::Copy("before");
    rt::ByteSet body = rt::ByteSet::Copy("x", 1);
    record = {.failing = c.failing};
    pumps = 0;
    SCOPED_TRACE(c.status);
    EXPECT_EQ(http::HttpRequest({.url = url_,
                                 .no_redirect = true,
                                 .user = "u",
                                 .password = "p",
                                 .proxy_user = "pu",
                                 .proxy_password = "pp",
                                 .location = &location,
                                 .status = &status,
                                 .body = &body})
                  .str(),
              "");
    EXPECT_EQ(test::Utf8(status.str()), c.status);
    EXPECT_EQ(pumps, c.pumps);
    EXPECT_EQ(location.str(), "before");
    EXPECT_EQ(body.size(), c.status == std::string("200 OK") ? 0 : 1);
  }
}

#ifndef _WIN32
// The system's Winhttp.dll cannot be hidden from a Windows program.
TEST(HttpRequestDeathTest, AMissingWinHttpEndsTheProgramAtTheFirstRequest) {
  // A fresh process, so that no entry of the table is bound yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::HideModuleForTests("Winhttp.dll");
        http::HttpRequest("http://127.0.0.1:9/");
      },
      testing::ExitedWithCode(test::FatalExitCode()),
      HasSubstr("错误信息：无法找到指定DLL库文件“Winhttp.dll”中的输出命令“WinHttpCheckPlatform”"));
}
#endif

}  // namespace
