// Services that misbehave on purpose, one case each, against the viewer in
// this process (after a good round has filled the window: what the rows,
// value labels and chart box show, the request routine's failure text, the
// memory it took) and against the viewer program run as a child process,
// whose window closes while its refresh pass is in the middle of the
// misbehaviour. Then the stand-in service killed and restarted mid-pass.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/screenshot_mode.h"
#include "http/http_request.h"
#include "net_test_seams.h"
#include "tests/app/viewer_fixture.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/http_test_server.h"
#include "tests/support/png_writer.h"
#include "tests/support/process_figures.h"
#include "tests/support/service_process.h"
#include "tests/support/test_certificate.h"
#include "tests/support/viewer_run.h"

namespace {

using app_test::Answer;
using app_test::Exchange;
using app_test::Fields;
using app_test::kWhite;
using app_test::LabelOfField;
using app_test::Record;
using app_test::RowOf;
using app_test::Split;
using Raw = test::RawSocketServer;

constexpr int kBigBody = 50 << 20;
constexpr QRgb kFirstColour = qRgb(200, 0, 200), kLateColour = qRgb(0, 160, 0);

// A 40 x 30 picture of one colour.
std::string Picture(QRgb colour) {
  test_support::PngLayout layout(40, 30, test_support::PngColour::kRgb);
  for (int i = 0; i < 40 * 30; ++i) {
    layout.samples.insert(layout.samples.end(), {uint16_t(qRed(colour)), uint16_t(qGreen(colour)),
                                                 uint16_t(qBlue(colour))});
  }
  const std::vector<uint8_t> png = test_support::WritePng(layout);
  return std::string(png.begin(), png.end());
}

enum class Target { kShortQuote, kFullQuote, kChart, kOther };

// What a request asks for, and for which code.
std::pair<Target, std::string> Classify(const std::string& target) {
  constexpr std::string_view chart = "/quotepic/10082333/";
  if (target.starts_with(chart) && target.ends_with(".png")) {
    return {Target::kChart, target.substr(chart.size(), target.size() - chart.size() - 4)};
  }
  // "/q=s_" or "/q=", then "sh" or "sz", then the code.
  if (target.starts_with("/q=s_")) return {Target::kShortQuote, target.substr(7)};
  if (target.starts_with("/q=")) return {Target::kFullQuote, target.substr(5)};
  return {Target::kOther, ""};
}

// The target of raw request bytes ("GET /q=sh600000 HTTP/1.1...").
std::string TargetOf(const std::string& request) {
  const size_t start = request.find(' ') + 1;
  return request.substr(start, request.find(' ', start) - start);
}

// A well-formed answer: records whose fields carry `tag` + code, a picture
// of `colour`; "" for anything else.
std::string GoodBody(const std::string& target, const std::string& tag, QRgb colour) {
  const auto [kind, code] = Classify(target);
  switch (kind) {
    case Target::kShortQuote:
      return Record(tag + code, 10);
    case Target::kFullQuote:
      return Record(tag + code, 33);
    case Target::kChart:
      return Picture(colour);
    case Target::kOther:
      break;
  }
  return "";
}

std::string Head(size_t content_length) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(content_length) + "\r\n\r\n";
}

// The later answers of a misbehaving service, where it gives any.
constexpr const char* kLate = "late";

// How a case reaches the viewer: no server, a raw socket server running the
// case's script, or an HTTPS server with a certificate nobody trusts.
enum class Reach { kRefused, kRawSocket, kUntrustedHttps };

// What rows and labels show after the row change: what they showed before,
// the late answer once it is complete, or the first fields of a flood.
enum class Shows { kWhatTheyShowed, kTheLateAnswer, kTheFlood };

// Fields of one byte each, as many as fit in a megabyte.
std::string FieldFlood() {
  std::string flood;
  while (flood.size() < (1u << 20)) flood += "7~";
  return flood;
}

struct Fault {
  const char* name;
  Reach reach;
  // The answer to a request whose good answer is `good`. With `bounded` set,
  // whatever would last for ever ends after a moment instead: in this process
  // the window thread waits for its own requests.
  std::function<Raw::Script(const std::string& good, bool bounded)> script;
  Shows shows;
  const char* failure;  // the request routine's status text, UTF-8
  bool big = false;     // answers of kBigBody bytes
};

const Fault kFaults[] = {
    {"Refuses", Reach::kRefused, nullptr, Shows::kWhatTheyShowed, "711 发送请求失败!"},
    {"AcceptsAndNeverAnswers", Reach::kRawSocket,
     [](const std::string&, bool bounded) {
       return bounded ? Raw::Script{Raw::Pause(300)} : Raw::Script{Raw::Hold()};
     },
     Shows::kWhatTheyShowed, "712 服务器未响应!"},
    {"AnswersSlowlyByteByByte", Reach::kRawSocket,
     [](const std::string& good, bool bounded) {
       return Raw::Script{Raw::Trickle(Head(good.size()) + good, bounded ? 1 : 20)};
     },
     Shows::kTheLateAnswer, "200 OK"},
    // Less than a record's first eight fields, then the connection closes: the
    // routine keeps what arrived and reports the status line it read.
    {"CutsTheBody", Reach::kRawSocket,
     [](const std::string& good, bool) {
       return Raw::Script{Raw::Send(Head(good.size() + 1000) + good.substr(0, 24))};
     },
     Shows::kWhatTheyShowed, "200 OK"},
    {"SendsGarbageStatusLines", Reach::kRawSocket,
     [](const std::string& good, bool) {
       return Raw::Script{Raw::Send("garbage\r\nHTTP/1.1 2OO OK\r\n\r\n" + good)};
     },
     Shows::kWhatTheyShowed, "712 服务器未响应!"},
    {"Sends50Megabytes", Reach::kRawSocket,
     [](const std::string&, bool) {
       return Raw::Script{Raw::Send(Head(kBigBody)),
                          Raw::SendRepeated(std::string(1 << 20, 'x'), kBigBody >> 20)};
     },
     Shows::kWhatTheyShowed, "200 OK", true},
    // Some 26 million fields: a record the viewer reads the first ones of.
    {"Sends50MegabytesOfFields", Reach::kRawSocket,
     [](const std::string&, bool) {
       return Raw::Script{Raw::Send(Head(kBigBody)),
                          Raw::SendRepeated(FieldFlood(), kBigBody >> 20)};
     },
     Shows::kTheFlood, "200 OK", true},
    {"RedirectsInALoop", Reach::kRawSocket,
     [](const std::string&, bool) {
       return Raw::Script{
           Raw::Send("HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n")};
     },
     Shows::kWhatTheyShowed, "712 服务器未响应!"},
    {"SendsAnUntrustedCertificate", Reach::kUntrustedHttps, nullptr, Shows::kWhatTheyShowed,
     "711 发送请求失败!"},
};

// Every answer well-formed, for `codes`, on an HttpTestServer.
void ServeGood(test::HttpTestServer& server, const Fields& codes, const std::string& tag,
               QRgb colour) {
  for (const std::string& code : codes) {
    for (const std::string& path : {"/q=s_" + Exchange(code) + code, "/q=" + Exchange(code) + code,
                                    "/quotepic/10082333/" + code + ".png"}) {
      server.Reply(path, Answer(GoodBody(path, tag, colour)));
    }
  }
}

// One case's service. `only_short_quotes`: the full quote and the chart are
// answered well where the case allows (so the window thread is free to close
// the window while the pass is caught in the misbehaviour).
struct FaultyService {
  FaultyService(const Fault& fault, const Fields& codes, bool bounded, bool only_short_quotes) {
    switch (fault.reach) {
      case Reach::kRefused: {
        Raw gone({});
        quote_base = "http://127.0.0.1:" + std::to_string(gone.port());
        break;
      }
      case Reach::kRawSocket:
        raw = Raw::ByRequest([&fault, bounded, only_short_quotes](const std::string& request) {
          const std::string target = TargetOf(request);
          const std::string good = GoodBody(target, kLate, kLateColour);
          if (only_short_quotes && Classify(target).first != Target::kShortQuote && !good.empty()) {
            return Raw::Script{Raw::Send(Head(good.size()) + good)};
          }
          return fault.script(good, bounded);
        });
        quote_base = raw->Url("");
        break;
      case Reach::kUntrustedHttps:
        certificate = std::make_unique<test::TestCertificate>();
        https = std::make_unique<test::HttpTestServer>(certificate.get());
        ServeGood(*https, codes, kLate, kLateColour);
        quote_base = https->Url("");
        break;
    }
    chart_base = quote_base;
    if (only_short_quotes && fault.reach != Reach::kRawSocket) {
      // Quotes fail either way; the chart comes from a good server.
      good = std::make_unique<test::HttpTestServer>();
      ServeGood(*good, codes, kLate, kLateColour);
      chart_base = good->Url("");
    }
  }
  int ShortQuotesReceived() const {
    int count = 0;
    for (const std::string& request : raw ? raw->Requests() : std::vector<std::string>{}) {
      count += Classify(TargetOf(request)).first == Target::kShortQuote;
    }
    return count;
  }

  std::unique_ptr<test::TestCertificate> certificate;
  std::unique_ptr<Raw> raw;
  std::unique_ptr<test::HttpTestServer> https, good;
  std::string quote_base, chart_base;
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

class FaultInjectionTest : public app_test::ViewerTest, public testing::WithParamInterface<Fault> {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    platform::SetHostMapForTests({});  // loopback only, whatever a case sends
  }
  void TearDown() override {
    ViewerTest::TearDown();
    platform::ClearHostMapForTests();
  }
  const Fields codes_ = {"600000", "000001"};
};

// After a good round, a row change against the misbehaving service: the
// viewer goes on, rows and labels keep what they showed (or show the slow
// answer once it is complete), the box loses the old chart, and no error box
// ends the process (the runtime would report on standard error and exit).
TEST_P(FaultInjectionTest, TheViewerKeepsWhatItShowedAndGoesOn) {
  const Fault& fault = GetParam();
  test::HttpTestServer first;
  ServeGood(first, codes_, "", kFirstColour);
  UseService(first.Url(""));
  for (const std::string& code : codes_) Import(code);
  ChangeRow(0);
  ASSERT_TRUE(WaitForPasses());
  const Fields labels = Labels();
  ASSERT_EQ(Row(1), RowOf(Split(Record(codes_[1], 10))));
  ASSERT_EQ(Box().pixel(0, 0), kFirstColour);

  FaultyService service(fault, codes_, /*bounded=*/true, /*only_short_quotes=*/false);
  UseServices(service.quote_base, service.chart_base);
  app_test::PeakSampler memory;
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  memory.Stop();
  const long peak_mb = memory.PeakAboveStartMb();

  if (fault.shows == Shows::kTheFlood) {
    const Fields flood = Split(FieldFlood().substr(0, 60));
    for (int row = 0; row < 2; ++row) EXPECT_EQ(Row(row), RowOf(flood)) << row;
    EXPECT_EQ(Labels(), Fields(labels.size(), "7"));
    EXPECT_EQ(Box().pixel(0, 0), kWhite);
  } else if (fault.shows == Shows::kTheLateAnswer) {
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(Row(row), RowOf(Split(Record(kLate + codes_[row], 10)))) << row;
    }
    const Fields full = Split(Record(kLate + codes_[1], 33));
    for (const auto& [field, label] : LabelOfField()) EXPECT_EQ(Label(label), full[field - 1]);
    EXPECT_EQ(Box().pixel(0, 0), kLateColour);
  } else {
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(Row(row), RowOf(Split(Record(codes_[row], 10)))) << row;
    }
    EXPECT_EQ(Labels(), labels);
    EXPECT_EQ(Box().pixel(0, 0), kWhite);
  }
  Import("600519");
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 3);

  rt::Text status;
  const std::string address = service.quote_base + "/q=s_sh600000";
  http::HttpRequest({.url = address.c_str(), .status = &status});
  EXPECT_EQ(test::Utf8(status.str()), fault.failure);

  // A request holds at most two copies of a body at once (its bytes and their
  // text), and the window thread's requests overlap one worker's at a time.
  // The sanitizer's realloc copies where the C library's remaps: while a body
  // grows, the old block and the new one, half again as large, are both held,
  // up to two and a half times the body per request.
  const long copies = app_test::kSanitizerHeap ? 5 : 4;
  const long bound_mb = fault.big ? copies * (kBigBody >> 20) + 16 : 16;
  std::printf("%s: peak %ld MB above the start\n", fault.name, peak_mb);
  EXPECT_LE(peak_mb, bound_mb);
}

// The viewer program with the misbehaviour on its short quotes: the window
// closes 300 ms in, in the middle of the pass, and the process ends at once
// and cleanly.
TEST_P(FaultInjectionTest, ClosingTheWindowMidwayEndsTheProgramAtOnce) {
  const Fault& fault = GetParam();
  Fields codes(std::begin(app::kScreenshotCodes), std::end(app::kScreenshotCodes));
  FaultyService service(fault, codes, /*bounded=*/false, /*only_short_quotes=*/true);
  app_test::Screenshot shot;
  const app_test::Outcome outcome = app_test::RunViewer(
      service.quote_base, shot.path, "QUOTEVIEW_SCREENSHOT_WAIT_MS=300", service.chart_base);
  std::printf("%s: the program ended %.2f s after it started\n", fault.name, outcome.seconds);
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_LT(outcome.seconds, 10) << "the process waited for the misbehaving service";
  EXPECT_EQ(outcome.errors.find("运行时出错"), std::string::npos) << outcome.errors;
  EXPECT_TRUE(std::filesystem::exists(shot.path));
  if (service.raw) {
    EXPECT_GE(service.ShortQuotesReceived(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Misbehaviours, FaultInjectionTest, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

// quote-service killed by its PID in the middle of a pass and started again
// on the same port, its market frozen at another instant.
class ServiceRestartTest : public app_test::ViewerTest {
 protected:
  using Service = app_test::ServiceProcess;
  static constexpr long long kLaterClock = 1717740600 + 7200;

  // Each code's row as the service itself answers it.
  std::map<std::string, Fields> RowsFrom(const Service& service) const {
    std::map<std::string, Fields> rows;
    for (const std::string& code : codes_) {
      rows[code] = RowOf(Split(service.Get("/q=s_" + Exchange(code) + code)));
    }
    return rows;
  }
  const std::string& CodeOf(int row) const { return codes_[row % codes_.size()]; }

  const Fields codes_{std::begin(app::kScreenshotCodes), std::end(app::kScreenshotCodes)};
};

TEST_F(ServiceRestartTest, RowsKeepTheirValuesAndThePassEndsOnTheNewService) {
  constexpr int kRows = 20;
  Service first({.latency_ms = 20});
  ASSERT_GT(first.port(), 0);
  const int port = first.port();
  UseService(first.Base());
  for (int row = 0; row < kRows; ++row) Import(CodeOf(row));
  ChangeRow(0);
  ASSERT_TRUE(WaitForPasses());
  const auto before = RowsFrom(first);
  for (int row = 0; row < kRows; ++row) ASSERT_EQ(Row(row), before.at(CodeOf(row))) << row;

  // Killed once the new pass's handler and five of its rows are answered.
  const int answered = first.RequestsLogged();
  ChangeRow(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return first.RequestsLogged() >= answered + 7; }, 10000));
  first.Kill();
  // Asked from another thread, which lets no window event through: the window
  // thread serves no list operation until the new service runs, so the worker
  // waits at its next row and the restart lands in the pass.
  rt::Text status;
  std::thread([&] {
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/q=s_sh600000";
    http::HttpRequest({.url = address.c_str(), .status = &status});
  }).join();
  EXPECT_EQ(test::Utf8(status.str()), "711 发送请求失败!");
  Service second({.port = port, .clock = kLaterClock, .latency_ms = 20});
  ASSERT_EQ(second.port(), port);
  ASSERT_TRUE(WaitForPasses());
  const auto after = RowsFrom(second);
  ASSERT_NE(after, before);
  for (int row = 0; row < kRows; ++row) {
    const Fields shown = Row(row);
    EXPECT_TRUE(shown == before.at(CodeOf(row)) || shown == after.at(CodeOf(row))) << row;
  }
  EXPECT_EQ(Row(kRows - 1), after.at(CodeOf(kRows - 1)));

  // The next row change fills everything from the new service.
  ChangeRow(2);
  ASSERT_TRUE(WaitForPasses());
  for (int row = 0; row < kRows; ++row) EXPECT_EQ(Row(row), after.at(CodeOf(row))) << row;
  const Fields full = Split(second.Get("/q=" + Exchange(CodeOf(2)) + CodeOf(2)));
  ASSERT_GE(full.size(), 29u);
  for (const auto& [field, label] : LabelOfField()) EXPECT_EQ(Label(label), full[field - 1]);
}

// The viewer program against a slow service that is killed once the order
// book, the chart and a first row are answered and restarted at once; the
// window closes while the pass goes on against the new one.
TEST_F(ServiceRestartTest, TheProgramEndsAtOnceWhenItsWindowClosesAfterARestart) {
  Service first({.latency_ms = 150});
  ASSERT_GT(first.port(), 0);
  const int port = first.port();
  std::optional<Service> second;
  bool killed = false;
  std::thread restarter([&] {
    for (int waited = 0; waited < 20000 && first.RequestsLogged() < 3; waited += 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    killed = first.RequestsLogged() >= 3;
    first.Kill();
    second.emplace(Service::Options{.port = port, .clock = kLaterClock, .latency_ms = 150});
  });
  app_test::Screenshot shot;
  const app_test::Outcome outcome =
      app_test::RunViewer(first.Base(), shot.path, "QUOTEVIEW_SCREENSHOT_WAIT_MS=800");
  restarter.join();
  EXPECT_TRUE(killed) << "the viewer never reached the first service";
  EXPECT_EQ(second->port(), port);
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_LT(outcome.seconds, 10);
  EXPECT_EQ(outcome.errors.find("运行时出错"), std::string::npos) << outcome.errors;
}

}  // namespace
