// The WinHTTP layer against loopback servers: what arrives on the wire, what
// the caller gets back, and at which step each kind of failure surfaces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/net_test_seams.h"
#include "platform/winhttp.h"
#include "tests/support/http_test_server.h"
#include "tests/support/winhttp_client.h"

namespace {

using test::HttpTestServer;
using test::RawSocketServer;
using test::RunWinHttp;
using test::WinHttpCall;
using testing::HasSubstr;
using testing::StartsWith;

class WinHttpRequestTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetHostMapForTests({}); }
  void TearDown() override {
    platform::ClearHostMapForTests();
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
  }
};

TEST_F(WinHttpRequestTest, GetArrivesWithHostAndNothingTheCallerDidNotAsk) {
  RawSocketServer server({RawSocketServer::Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});
  auto result = RunWinHttp({.url = server.Url("/q=sz000001?x=1")});
  ASSERT_EQ(result.failed_at, "") << result.error;
  EXPECT_EQ(result.body, "ok");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /q=sz000001?x=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nConnection: Keep-Alive\r\n\r\n");
}

}  // namespace
