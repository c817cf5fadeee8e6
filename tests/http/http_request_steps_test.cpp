// The request routine as the platform table sees it: every WinHTTP entry is
// replaced by a stand-in that records the call and forwards it to the real
// function, or fails on demand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "http/http_request.h"
#include "platform/net_test_seams.h"
#include "platform/ole32_state.h"
#include "platform/winhttp.h"
#include "runtime/core_commands.h"
#include "runtime/platform_functions.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/http_test_server.h"

namespace {

using testing::ElementsAre;
using testing::StartsWith;

struct Recorder {
  std::vector<std::string> calls;
  std::map<int, int> failing;  // entry -> the call of it that fails (0: every call)
  std::map<int, int> counts;
  std::map<const void*, std::string> names;  // handles by what opened them
};
Recorder* recorder = nullptr;
thread_local int pumps = 0;

std::string Arg(const char16_t* text) {
  if (!text) return "null";
  std::string ascii;
  for (; *text; ++text) ascii += *text < 0x80 ? static_cast<char>(*text) : '?';
  return '"' + ascii + '"';
}
std::string Arg(char16_t* text) {
  return Arg(static_cast<const char16_t*>(text));
}
template <class T>
std::string Arg(T value) {
  if constexpr (std::is_pointer_v<T>) {
    auto name = recorder->names.find(value);
    return !value ? "null" : name != recorder->names.end() ? name->second : "*";
  } else {
    return std::to_string(value);
  }
}

template <int Index, auto Real>
struct Fake;
template <int Index, class R, class... A, R (*Real)(A...)>
struct Fake<Index, Real> {
  static R Call(A... args) {
    std::vector<std::string> shown{Arg(args)...};
    if constexpr (Index == rt::kWinHttpSetOption) {  // the option's value, not its address
      shown.push_back(std::to_string(*static_cast<DWORD*>(std::get<2>(std::tie(args...)))));
    }
    std::string line = std::string(rt::PlatformFunctionTable[Index].export_name) + "(";
    for (size_t i = 0; i < shown.size(); ++i) line += (i ? "," : "") + shown[i];
    line += ')';
    int call = ++recorder->counts[Index];
    auto failing = recorder->failing.find(Index);
    if (failing != recorder->failing.end() && (failing->second == 0 || failing->second == call)) {
      recorder->calls.push_back(line + " fails");
      return R{};
    }
    R result = Real(args...);
    recorder->calls.push_back(line);
    const char* names[] = {"session", "connection", "request"};
    if constexpr (std::is_pointer_v<R>) recorder->names[result] = names[Index - rt::kWinHttpOpen];
    return result;
  }
};

class HttpRequestStepsTest : public testing::Test {
 protected:
  void SetUp() override {
    recorder = &record_;
    platform::SetHostMapForTests({});
    rt::SetPendingEventsPump([] { ++pumps; });
    Install<rt::kWinHttpCheckPlatform, ::WinHttpCheckPlatform>();
    Install<rt::kWinHttpCrackUrl, ::WinHttpCrackUrl>();
    Install<rt::kWinHttpOpen, ::WinHttpOpen>();
    Install<rt::kWinHttpConnect, ::WinHttpConnect>();
    Install<rt::kWinHttpOpenRequest, ::WinHttpOpenRequest>();
    Install<rt::kWinHttpSetTimeouts, ::WinHttpSetTimeouts>();
    Install<rt::kWinHttpSetCredentials, ::WinHttpSetCredentials>();
    Install<rt::kWinHttpCloseHandle, ::WinHttpCloseHandle>();
    Install<rt::kWinHttpSetOption, ::WinHttpSetOption>();
    Install<rt::kWinHttpAddRequestHeaders, ::WinHttpAddRequestHeaders>();
    Install<rt::kWinHttpSendRequest, ::WinHttpSendRequest>();
    Install<rt::kWinHttpReceiveResponse, ::WinHttpReceiveResponse>();
    Install<rt::kWinHttpQueryDataAvailable, ::WinHttpQueryDataAvailable>();
    Install<rt::kWinHttpReadData, ::WinHttpReadData>();
    Install<rt::kWinHttpQueryHeaders, ::WinHttpQueryHeaders>();
  }
  void TearDown() override {
    for (auto& [index, address] : saved_) rt::ProgramBinding(index).address.store(address);
    rt::SetPendingEventsPump(nullptr);
    platform::ClearHostMapForTests();
    recorder = nullptr;
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
  }
  template <int Index, auto Real>
  void Install() {
    saved_[Index] = rt::BindPlatformFunction(Index);
    rt::ProgramBinding(Index).address.store(reinterpret_cast<FARPROC>(&Fake<Index, Real>::Call));
  }
  // The recorded calls of one entry.
  std::vector<std::string> CallsOf(const std::string& name) const {
    std::vector<std::string> found;
    for (const std::string& call : record_.calls) {
      if (call.starts_with(name + "(")) found.push_back(call);
    }
    return found;
  }
  // A run with a fresh record.
  rt::Text Run(http::HttpRequestArgs args) {
    record_ = {};
    pumps = 0;
    return http::HttpRequest(args);
  }

  Recorder record_;
  std::map<int, FARPROC> saved_;
  test::RawSocketServer server_{
      {test::RawSocketServer::Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")}};
};

TEST_F(HttpRequestStepsTest, AGetCallsTheTableInOrderAndPumpsAtEachStage) {
  std::string port = std::to_string(server_.port());
  int depth = platform::CoInitializeDepthForThisThread();
  EXPECT_EQ(Run({.url = server_.Url("/q?x=1")}).str(), "ok");
  EXPECT_EQ(platform::CoInitializeDepthForThisThread(), depth);
  EXPECT_THAT(
      record_.calls,
      ElementsAre(
          "WinHttpCheckPlatform()",
          "WinHttpCrackUrl(\"http://127.0.0.1:" + port + "/q?x=1\"," +
              std::to_string(23 + port.size()) + ",0,*)",
          "WinHttpOpen(null,1,\"\",null,0)", "WinHttpConnect(session,\"127.0.0.1\"," + port + ",0)",
          "WinHttpOpenRequest(connection,\"GET\",\"/q?x=1\",null,null,null,0)",
          "WinHttpSetTimeouts(request,30000,30000,30000,30000)",
          "WinHttpSetOption(request,63,*,4,1)",
          StartsWith("WinHttpAddRequestHeaders(request,\"User-Agent: Mozilla"),
          "WinHttpSendRequest(request,null,0,null,0,0,0)", "WinHttpReceiveResponse(request,null)",
          "WinHttpQueryDataAvailable(request,*)", "WinHttpReadData(request,*,2,*)",
          "WinHttpQueryDataAvailable(request,*)", "WinHttpQueryHeaders(request,22,null,null,*,*)",
          "WinHttpQueryHeaders(request,22,null,*,*,*)", "WinHttpCloseHandle(request)",
          "WinHttpCloseHandle(connection)", "WinHttpCloseHandle(session)"));
  // Nine stages, the three lines of "HTTP/1.1 200 OK", "Content-Length: 2"
  // and the closing empty one, and the charset search.
  EXPECT_EQ(pumps, 9 + 3 + 1);
  EXPECT_THAT(CallsOf("WinHttpAddRequestHeaders")[0], testing::EndsWith(",2684354560)"));
}

TEST_F(HttpRequestStepsTest, TimeoutsProxiesCredentialsAndOptions) {
  for (auto [seconds, ms] : {std::pair{5, "5000"}, {0, "30000"}, {-3, "30000"}}) {
    Run({.url = server_.Url("/"), .timeout_seconds = seconds});
    EXPECT_EQ(CallsOf("WinHttpSetTimeouts")[0], "WinHttpSetTimeouts(request," + std::string(ms) +
                                                    "," + ms + "," + ms + "," + ms + ")");
  }
  // The proxy names the http scheme for a plain URL only.
  Run({.url = "https://quotes.test/", .proxy = "p:8080"});
  EXPECT_EQ(CallsOf("WinHttpOpen")[0], "WinHttpOpen(null,3,\"p:8080\",null,0)");
  Run({.url = "http://quotes.test/", .proxy = "p:8080"});
  EXPECT_EQ(CallsOf("WinHttpOpen")[0], "WinHttpOpen(null,3,\"http=p:8080\",null,0)");
  EXPECT_THAT(CallsOf("WinHttpOpenRequest")[0], testing::EndsWith(",0)"));
  Run({.url = "https://quotes.test/"});
  EXPECT_THAT(CallsOf("WinHttpOpenRequest")[0], testing::EndsWith(",8388608)"));

  // Credentials only in pairs; given cookies switch the other feature on.
  rt::Text cookies;
  Run({.url = server_.Url("/"),
       .cookies = &cookies,
       .no_redirect = true,
       .user = "u",
       .password = "p",
       .proxy_user = "pu"});
  EXPECT_THAT(CallsOf("WinHttpSetCredentials"),
              ElementsAre("WinHttpSetCredentials(request,0,1,\"u\",\"p\",null)"));
  EXPECT_THAT(CallsOf("WinHttpSetOption"), ElementsAre("WinHttpSetOption(request,79,*,4,1)",
                                                       "WinHttpSetOption(request,63,*,4,2)"));
  Run({.url = server_.Url("/"), .user = "u", .proxy_user = "pu", .proxy_password = "pp"});
  EXPECT_THAT(CallsOf("WinHttpSetCredentials"),
              ElementsAre("WinHttpSetCredentials(request,1,1,\"pu\",\"pp\",null)"));
}

TEST_F(HttpRequestStepsTest, EachFailingStepLeavesItsMessageAndPumpsUpToIt) {
  struct Case {
    std::vector<std::pair<int, int>> failing;  // entry, call
    const char* status;
    int pumps;
    http::HttpRequestArgs args{};
  } cases[] = {
      {{{rt::kWinHttpCheckPlatform, 0}}, "700 当前系统不支持WinHttp服务!", 0},
      {{{rt::kWinHttpCrackUrl, 0}}, "701 解析URL地址失败!", 1},
      {{{rt::kWinHttpOpen, 0}}, "702 创建WinHttp会话失败!", 2},
      {{{rt::kWinHttpConnect, 0}}, "703 创建WinHttp连接失败!", 3},
      {{{rt::kWinHttpOpenRequest, 0}}, "704 创建WinHttp请求失败!", 4},
      {{{rt::kWinHttpSetTimeouts, 0}}, "705 设置超时时间失败!", 5},
      {{{rt::kWinHttpSetCredentials, 0}},
       "707 设置代理凭证失败!",
       5,
       {.user = "u", .password = "p"}},
      {{{rt::kWinHttpSetCredentials, 0}},
       "707 设置代理凭证失败!",
       5,
       {.proxy_user = "u", .proxy_password = "p"}},
      {{{rt::kWinHttpSetOption, 1}}, "708 禁止自动设置Cookies失败!", 5},
      {{{rt::kWinHttpSetOption, 2}}, "709 重定向设置失败!", 5, {.no_redirect = true}},
      {{{rt::kWinHttpAddRequestHeaders, 0}}, "710 设置协议头失败!", 6},
      {{{rt::kWinHttpSendRequest, 0}}, "711 发送请求失败!", 7},
      {{{rt::kWinHttpReceiveResponse, 0}}, "712 服务器未响应!", 8},
      // A failed read is replaced by the status line, unless the header
      // query fails too; a failed second query leaves everything as it was.
      {{{rt::kWinHttpReadData, 0}}, "200 OK", 13},
      {{{rt::kWinHttpReadData, 0}, {rt::kWinHttpQueryHeaders, 2}}, "713 读取数据失败!", 9},
      {{{rt::kWinHttpQueryHeaders, 2}}, "before", 9},
  };
  const std::string url = server_.Url("/");
  for (Case& c : cases) {
    rt::Text status = rt::Text::Copy("before"), location = rt::Text::Copy("before");
    rt::ByteSet body = rt::ByteSet::Copy("x", 1);
    c.args.url = url;
    c.args.status = &status;
    c.args.location = &location;
    c.args.body = &body;
    record_ = {};
    for (auto [entry, call] : c.failing) record_.failing[entry] = call;
    pumps = 0;
    SCOPED_TRACE(c.status);
    EXPECT_EQ(http::HttpRequest(c.args).str(), "");
    EXPECT_EQ(test::Utf8(status.str()), c.status);
    EXPECT_EQ(pumps, c.pumps);
    EXPECT_EQ(location.str(), "before");
    EXPECT_EQ(body.size(), c.status == std::string("200 OK") ? 0 : 1);
  }
  // A failed data query ends the body quietly.
  record_ = {};
  record_.failing[rt::kWinHttpQueryDataAvailable] = 0;
  rt::Text status;
  EXPECT_EQ(http::HttpRequest({.url = server_.Url("/"), .status = &status}).str(), "");
  EXPECT_EQ(status.str(), "200 OK");
}

}  // namespace
