// The internet file fetch against loopback servers.
#include "runtime/fetch_url.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "net_test_seams.h"
#include "runtime/call_frame.h"
#include "tests/support/http_test_server.h"
#include "tests/support/test_certificate.h"
#include "wininet_test_seams.h"

namespace {

using test::HttpTestServer;
using test::RawSocketServer;

class FetchUrlTest : public testing::Test {
 protected:
  void SetUp() override { platform::SetHostMapForTests({{"nowhere.test", ""}}); }
  void TearDown() override {
    platform::SetInternetReadObserverForTests(nullptr);
    platform::ClearHostMapForTests();
    platform::SetExtraCaBundleForTests("");
    rt::CloseInternetSession();
    EXPECT_EQ(platform::OpenInternetHandleCount(), 0);
  }
  static std::string Fetch(const std::string& address) {
    return std::string(rt::FetchUrl(address.c_str()).view());
  }
};

TEST_F(FetchUrlTest, RequestLineAgentAndOneAcceptWithoutTheFragment) {
  RawSocketServer server({RawSocketServer::Send("HTTP/1.0 200 OK\r\n\r\n\x89PNG")});
  EXPECT_EQ(Fetch(server.Url("/quotepic/10082333/sz000001.png#chart")), "\x89PNG");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "GET /quotepic/10082333/sz000001.png HTTP/1.0\r\nHost: 127.0.0.1:" +
                std::to_string(server.port()) +
                "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
                "Accept: */*\r\n\r\n");
}

TEST_F(FetchUrlTest, WhateverTheServerSendsComesBack) {
  HttpTestServer server;
  server.Reply("/missing", "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n<h1>404</h1>");
  server.Reply("/moved", "HTTP/1.1 302 Found\r\nLocation: /chunked?x=1\r\n\r\n");
  server.Reply("/chunked",
               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(30000, 'c'));
  server.Reply("/big", "HTTP/1.1 200 OK\r\n\r\n" + std::string(1 << 20, 'b'));
  EXPECT_EQ(Fetch(server.Url("/missing")), "<h1>404</h1>");
  EXPECT_EQ(Fetch(server.Url("/moved")), std::string(30000, 'c'));
  EXPECT_EQ(server.LastRequest().target, "/chunked?x=1");
  EXPECT_EQ(Fetch(server.Url("/big")), std::string(1 << 20, 'b'));
  EXPECT_EQ(Fetch(server.Url("/none")), "no fixture");

  // Without a length the body runs to the close; cut short, what came is kept.
  RawSocketServer to_close({RawSocketServer::Send("HTTP/1.0 200 OK\r\n\r\nall of it")});
  EXPECT_EQ(Fetch(to_close.Url("/")), "all of it");
  RawSocketServer cut(
      {RawSocketServer::Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart")});
  EXPECT_EQ(Fetch(cut.Url("/")), "part");
}

TEST_F(FetchUrlTest, HttpsOnTheGivenPortWithVerifiedCertificates) {
  test::TestCertificate certificate;
  HttpTestServer server(&certificate);
  server.Reply("/pic.png", "HTTP/1.1 200 OK\r\n\r\npicture");
  std::string address = "https://localhost:" + std::to_string(server.port()) + "/pic.png";
  EXPECT_TRUE(rt::FetchUrl(address.c_str()).empty());  // not trusted yet
  platform::SetExtraCaBundleForTests(certificate.pem_path());
  EXPECT_EQ(Fetch(address), "picture");

  HttpTestServer plain;
  plain.Reply("/", "HTTP/1.1 200 OK\r\n\r\nplain");
  server.Reply("/down", "HTTP/1.1 302 Found\r\nLocation: " + plain.Url("/") + "\r\n\r\n");
  EXPECT_TRUE(rt::FetchUrl(server.Url("/down").c_str()).empty());
  EXPECT_TRUE(plain.Requests().empty());
}

// Takes this process into a network namespace of its own, with its loopback
// up, where any port is free to take.
bool EnterOwnNetwork() {
  if (unshare(CLONE_NEWNET) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  ifreq loopback{};
  std::strcpy(loopback.ifr_name, "lo");
  bool up = s >= 0 && ioctl(s, SIOCGIFFLAGS, &loopback) == 0;
  loopback.ifr_flags |= IFF_UP;
  up = up && ioctl(s, SIOCSIFFLAGS, &loopback) == 0;
  if (s >= 0) close(s);
  return up;
}

class FetchUrlDeathTest : public FetchUrlTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FetchUrlTest::SetUp();
  }
};

TEST_F(FetchUrlDeathTest, HttpsWithoutAPortGoesToPort443) {
  auto fetch = [] {
    bool fetched = false;
    {
      test::TestCertificate certificate;
      if (!EnterOwnNetwork()) {
        std::fprintf(stderr, "no network namespace of our own\n");
        std::_Exit(2);
      }
      HttpTestServer server(&certificate, 443);
      server.Reply("/pic.png", "HTTP/1.1 200 OK\r\n\r\npicture");
      platform::SetExtraCaBundleForTests(certificate.pem_path());
      fetched = Fetch("https://localhost/pic.png") == "picture";
      rt::CloseInternetSession();
    }
    std::fprintf(stderr, fetched ? "fetched\n" : "nothing\n");
    std::_Exit(fetched ? 0 : 1);
  };
  EXPECT_EXIT(fetch(), testing::ExitedWithCode(0), "fetched");
}

TEST_F(FetchUrlTest, FailuresGiveTheEmptyByteSet) {
  // An empty address ends before the session is even opened.
  EXPECT_TRUE(rt::FetchUrl("").empty());
  EXPECT_EQ(platform::OpenInternetHandleCount(), 0);

  int closed_port;
  {
    RawSocketServer gone({});
    closed_port = gone.port();
  }
  RawSocketServer garbage({RawSocketServer::Send("\x01\x02 nonsense\r\n\r\n")});
  for (std::string address :
       {std::string(""), std::string("www.example.com/a.png"), std::string("ftp://127.0.0.1/a"),
        std::string("http://nowhere.test/a"), std::string("http://\xD0\xD0\xC7\xE9.cn/a"),
        "http://127.0.0.1:" + std::to_string(closed_port) + "/", garbage.Url("/")}) {
    EXPECT_TRUE(rt::FetchUrl(address.c_str()).empty()) << address;
  }
  rt::ValueRecord result;
  rt::cmd::FetchUrl(&result, 0, nullptr);
  EXPECT_EQ(result.Value(), 0u);
}

TEST_F(FetchUrlTest, ConcurrentFirstFetchesShareOneSession) {
  HttpTestServer server;
  server.Reply("/", "HTTP/1.1 200 OK\r\n\r\nshared");
  for (int round = 0; round < 5; ++round) {
    rt::CloseInternetSession();
    std::string results[4];
    std::vector<std::thread> threads;
    for (std::string& result : results) {
      threads.emplace_back([&] { result = Fetch(server.Url("/")); });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::string& result : results) EXPECT_EQ(result, "shared");
    EXPECT_EQ(platform::OpenInternetHandleCount(), 1);  // the session, nothing else
  }
}

TEST_F(FetchUrlTest, EveryReadAsksForAWholeChunk) {
  static std::vector<uint32_t> asked;
  platform::SetInternetReadObserverForTests([](uint32_t size) { asked.push_back(size); });
  struct Case {
    const char* length_header;
    int body;
    uint32_t chunk;
  };
  for (const Case& c : {Case{"", 30000, 10240}, Case{"Content-Length: 5\r\n", 5, 6},
                        Case{"Content-Length: 1048576\r\n", 1 << 20, 102400}}) {
    asked.clear();
    RawSocketServer server({RawSocketServer::Send(
        std::string("HTTP/1.0 200 OK\r\n") + c.length_header + "\r\n" + std::string(c.body, 'x'))});
    EXPECT_EQ(Fetch(server.Url("/")).size(), static_cast<size_t>(c.body)) << c.body;
    EXPECT_GE(asked.size(), 2u) << c.body;
    EXPECT_THAT(asked, testing::Each(c.chunk)) << c.body;
  }
}

TEST(FetchChunkSizeTest, FollowsTheAnnouncedLengthWithinBounds) {
  EXPECT_EQ(rt::FetchChunkSize(nullptr), 10240);
  EXPECT_EQ(rt::FetchChunkSize("0"), 10240);
  EXPECT_EQ(rt::FetchChunkSize("-5"), 10240);
  EXPECT_EQ(rt::FetchChunkSize("5"), 6);
  EXPECT_EQ(rt::FetchChunkSize("102398"), 102399);
  EXPECT_EQ(rt::FetchChunkSize("102399"), 102400);
  EXPECT_EQ(rt::FetchChunkSize("1048576"), 102400);
  EXPECT_EQ(rt::FetchChunkSize("99999999999999999999"), 102400);
}

}  // namespace
