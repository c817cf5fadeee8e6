// The service over loopback: content types, reproducibility, the chart
// picture, errors, the request log and hostile clients.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>

#include "service/market.h"
#include "service/market_clock.h"
#include "service/price_walk.h"
#include "tests/service/service_fixture.h"

namespace {

using service_test::Get;
using service_test::Reply;
using service_test::RunningService;
using service_test::SendRaw;

TEST(HttpTest, AnswersNameTheirCharset) {
  RunningService service;
  Reply full = Get(service.port(), "/q=sh600000");
  EXPECT_EQ(full.status, 200);
  EXPECT_EQ(full.content_type, "text/plain; charset=GBK");
  EXPECT_EQ(service_test::SplitFields(full.body).size(), 50u);
  Reply page = Get(service.port(), "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.content_type, "text/html; charset=GBK");
  // The page names the boards that answer and lists the sample, one row a stock.
  EXPECT_NE(service_test::GbkToUtf8(page.body).find(
                "沪市 600–605、688–689、510–519、56、58、900，深市 000–004、300–301、159、16、"
                "200，北交所 43、83、87、920 开头的每个六位代码都有行情；下表列出其中 300 只。"),
            std::string::npos);
  size_t rows = 0;
  for (size_t at = 0; (at = page.body.find("<tr><td>", at)) != std::string::npos; ++at) ++rows;
  EXPECT_EQ(rows, service.quotes().market().stocks().size());
  for (const service::Stock& stock : service.quotes().market().stocks()) {
    ASSERT_NE(page.body.find("/quotepic/10082333/" + stock.code + ".png"), std::string::npos);
    ASSERT_NE(page.body.find("/q=s_" + stock.exchange + stock.code + "\""), std::string::npos);
    ASSERT_NE(page.body.find(stock.name_gbk), std::string::npos);
  }
  // A comma sent percent-encoded is still a comma.
  EXPECT_EQ(Get(service.port(), "/q=sh600000%2Cs_sz000001").body,
            Get(service.port(), "/q=sh600000,s_sz000001").body);
}

TEST(HttpTest, SameSeedAndClockGiveByteIdenticalAnswers) {
  RunningService a, b, other_seed(service_test::kAfternoon, 8);
  for (const char* path :
       {"/q=sh600000,s_sz000001,s_sh600000", "/", "/quotepic/10082333/600000.png"}) {
    Reply first = Get(a.port(), path);
    ASSERT_EQ(first.status, 200) << path;
    EXPECT_EQ(first.body, Get(b.port(), path).body) << path;
    EXPECT_NE(first.body, Get(other_seed.port(), path).body) << path;
  }
}

TEST(HttpTest, ErrorsAreShortHtml) {
  RunningService service;
  for (const char* path : {"/quotepic/10082333/999999.png", "/quotepic/10082333/.png",
                           "/quotepic/10082333/600000.gif", "/q", "/index.html", "/favicon.ico"}) {
    Reply reply = Get(service.port(), path);
    EXPECT_EQ(reply.status, 404) << path;
    EXPECT_EQ(reply.content_type, "text/html; charset=GBK") << path;
    EXPECT_TRUE(reply.body.starts_with("<!DOCTYPE html>")) << path;
    EXPECT_LT(reply.body.size(), 400u) << path;
  }
  std::string post =
      SendRaw(service.port(), "POST /q=sh600000 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(post.starts_with("HTTP/1.1 405")) << post;
  std::string with_body = SendRaw(service.port(), "PUT / HTTP/1.1\r\nContent-Length: 2\r\n\r\nab");
  EXPECT_TRUE(with_body.starts_with("HTTP/1.1 405")) << with_body;
  std::string head =
      SendRaw(service.port(), "HEAD /q=sh600000 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(head.starts_with("HTTP/1.1 200")) << head;
  EXPECT_TRUE(head.ends_with("\r\n\r\n")) << "a HEAD answer has no body: " << head;
}

bool Reddish(const uint8_t* p) {
  return p[0] > 170 && p[1] < 130 && p[2] < 130;
}
bool Greenish(const uint8_t* p) {
  return p[1] > 110 && p[0] < 110 && p[2] < 140;
}

TEST(HttpTest, ChartIsRedAboveThePreviousCloseAndGreenBelow) {
  RunningService service;
  const service::Market& market = service.quotes().market();
  service::MarketMoment moment = service::MomentAt(service_test::kAfternoon);
  int checked_above = 0, checked_below = 0;
  for (const service::Stock& stock : market.stocks()) {
    Reply reply = Get(service.port(), "/quotepic/10082333/" + stock.code + ".png");
    ASSERT_EQ(reply.status, 200);
    ASSERT_EQ(reply.content_type, "image/png");
    service_test::Picture picture;
    ASSERT_TRUE(service_test::DecodePng(reply.body, picture)) << stock.code;
    ASSERT_EQ(picture.width, 280);
    ASSERT_EQ(picture.height, 152);
    // Minutes whose neighbours lie on the same side of the close, well away
    // from it, must show only that side's colour in their pixel column.
    service::TradingDay day = service::MakeTradingDay(stock, moment.trading_day);
    int now = moment.session_second / 60;
    for (int minute = 3; minute + 3 < now; minute += 5) {
      int side = 0;
      for (int m = minute - 3; m <= minute + 3; ++m) {
        int64_t price = service::PriceAt(day, m * 60);
        int this_side = price * 1000 > day.previous_close * 1003  ? 1
                        : price * 1000 < day.previous_close * 997 ? -1
                                                                  : 0;
        side = m == minute - 3 ? this_side : (side == this_side ? side : 0);
      }
      if (side == 0) continue;
      int x = 40 + 236 * minute / 240;
      int red = 0, green = 0;
      for (int y = 18; y < 135; ++y) {
        red += Reddish(picture.At(x, y));
        green += Greenish(picture.At(x, y));
      }
      if (side > 0) {
        EXPECT_GT(red, 0) << stock.code << " minute " << minute;
        EXPECT_EQ(green, 0) << stock.code << " minute " << minute;
        ++checked_above;
      } else {
        EXPECT_GT(green, 0) << stock.code << " minute " << minute;
        EXPECT_EQ(red, 0) << stock.code << " minute " << minute;
        ++checked_below;
      }
    }
    if (checked_above > 50 && checked_below > 50) break;
  }
  EXPECT_GT(checked_above, 50);
  EXPECT_GT(checked_below, 50);
}

TEST(HttpTest, OneLogLinePerRequest) {
  RunningService service;
  Get(service.port(), "/q=s_sh600000");
  service.LogLines(1);  // answers on separate connections may log in any order
  Get(service.port(), "/nothing%0Ahere");
  std::vector<std::string> lines = service.LogLines(2);
  ASSERT_EQ(lines.size(), 2u);
  std::regex line(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z GET (\S+) (\d{3}) (\d+) (\d+)\n)");
  std::smatch first, second;
  ASSERT_TRUE(std::regex_match(lines[0], first, line)) << lines[0];
  EXPECT_EQ(first[1], "/q=s_sh600000");
  EXPECT_EQ(first[2], "200");
  EXPECT_EQ(std::stoul(first[3]), Get(service.port(), "/q=s_sh600000").body.size());
  // A line feed inside the path cannot start a forged line.
  ASSERT_TRUE(std::regex_match(lines[1], second, line)) << lines[1];
  EXPECT_EQ(second[1], "/nothing\\x0Ahere");
  EXPECT_EQ(second[2], "404");
}

int Connect(int port) {
  int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(sock);
    return -1;
  }
  return sock;
}

TEST(HttpTest, HostileRequestsGetRefusalsAndTheServiceGoesOn) {
  RunningService service;
  int port = service.port();
  std::string expected = Get(port, "/q=sh600000").body;

  // Each hostile request gets a refusal (4xx) or a closed connection.
  std::string long_line = "GET /q=" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n";
  std::string many_headers = "GET / HTTP/1.1\r\n";
  for (int i = 0; i < 200; ++i) many_headers += "X-Filler: " + std::string(500, 'b') + "\r\n";
  many_headers += "\r\n";
  std::string long_header = "GET / HTTP/1.1\r\nX-Long: " + std::string(20000, 'c') + "\r\n\r\n";
  for (const std::string& request :
       {long_line, many_headers, long_header,
        std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11), std::string("GET\r\n\r\n"),
        std::string("GET /q=sh600000 HTCPCP/1.0 extra\r\n\r\n"),
        std::string("POST /q=sh600000 HTTP/1.1\r\nContent-Length: 999999\r\n\r\n")}) {
    std::string reply = SendRaw(port, request);
    EXPECT_TRUE(reply.empty() || reply.starts_with("HTTP/1.1 4")) << reply.substr(0, 80);
  }
  // Bad bytes in a path are just a code the market does not list.
  std::string bad_bytes = SendRaw(
      port, "GET /q=\xff\xfe\x01\x7f%00%ff HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(bad_bytes.starts_with("HTTP/1.1 200")) << bad_bytes;
  EXPECT_TRUE(bad_bytes.ends_with("\r\n\r\nv_pv_none_match=\"1\";\n")) << bad_bytes;

  // Thousands of connections at once, some sending junk, most nothing.
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  int wanted = 2000;
  if (limit.rlim_cur < rlim_t(2 * wanted + 100)) {
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 2 * wanted + 100);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  int count = std::min<int>(wanted, (static_cast<int>(limit.rlim_cur) - 100) / 2);
  std::vector<int> sockets;
  for (int i = 0; i < count; ++i) {
    int sock = Connect(port);
    if (sock < 0) continue;
    std::string_view junk = "GET /q=\x80\x80 HTTP/1.1\r\nHost:";
    if (i % 4 == 0) send(sock, junk.data(), junk.size(), MSG_NOSIGNAL);
    sockets.push_back(sock);
  }
  EXPECT_GT(sockets.size(), static_cast<size_t>(count) / 2);
  for (int sock : sockets) close(sock);
  EXPECT_EQ(Get(port, "/q=sh600000").body, expected);
}

}  // namespace
