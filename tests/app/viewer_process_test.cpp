// The viewer program itself, run as a child process in screenshot mode: the
// filled window it writes, the failure when no service answers, and the end
// of the process when its window closes while a refresh pass still waits.
#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/screenshot_mode.h"
#include "tests/support/http_test_server.h"
#include "tests/support/service_process.h"
#include "tests/support/viewer_run.h"

namespace {

using app_test::Outcome;
using app_test::RunViewer;
using app_test::Screenshot;

TEST(ViewerProcess, ScreenshotModeWritesTheFilledWindowAndEndsWithZero) {
  app_test::ServiceProcess service;
  ASSERT_GT(service.port(), 0);
  Screenshot shot;
  const Outcome outcome = RunViewer(service.Base(), shot.path);
  ASSERT_EQ(outcome.status, 0) << outcome.errors;
  const QImage picture(QString::fromStdString(shot.path));
  ASSERT_FALSE(picture.isNull());
  // The chart area (动画框1 at 128, 8) shows the selected stock's chart.
  const std::string code = app::kScreenshotCodes[app::kScreenshotRow];
  const QImage chart = QImage::fromData(
      QByteArray::fromStdString(service.Get("/quotepic/10082333/" + code + ".png")));
  ASSERT_FALSE(chart.isNull());
  EXPECT_EQ(picture.copy(128, 8, 280, 152).convertToFormat(QImage::Format_RGB32),
            chart.convertToFormat(QImage::Format_RGB32));
}

TEST(ViewerProcess, ScreenshotModeWithoutAServiceSaysSoAndFails) {
  int port = 0;
  {
    test::RawSocketServer gone({});
    port = gone.port();
  }
  Screenshot shot;
  const Outcome outcome = RunViewer("http://127.0.0.1:" + std::to_string(port), shot.path);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.errors.find("no answer from the quote service"), std::string::npos)
      << outcome.errors;
  EXPECT_FALSE(std::filesystem::exists(shot.path));
}

// The order book and the chart come at once; every short quote is held far
// longer than the mode waits, so the window closes in the middle of the pass.
TEST(ViewerProcess, ClosingTheWindowDuringASlowPassEndsTheProcessAtOnceWithZero) {
  test::HttpTestServer server;
  std::atomic<bool> release = false;
  std::atomic<int> held = 0;
  for (const char* code : app::kScreenshotCodes) {
    const std::string exchange = code[0] == '0' ? "sz" : "sh";
    server.Reply("/q=s_" + exchange + code, [&](const test::ReceivedRequest&) {
      ++held;
      for (int waited = 0; waited < 20000 && !release; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return test::Answer::Parse("HTTP/1.1 200 OK\r\n\r\nlate");
    });
  }
  const std::string code = app::kScreenshotCodes[app::kScreenshotRow];
  server.Reply("/q=sh" + code, "HTTP/1.1 200 OK\r\n\r\n1~2~3~4~5~6~7~8~9~10~11");
  Screenshot shot;
  const Outcome outcome = RunViewer(server.Url(""), shot.path, "QUOTEVIEW_SCREENSHOT_WAIT_MS=300");
  release = true;
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  EXPECT_LT(outcome.seconds, 10) << "the process waited for the held request";
  EXPECT_EQ(held.load(), 1) << "the pass was not waiting on its first row";
  EXPECT_EQ(outcome.errors.find("运行时出错"), std::string::npos) << outcome.errors;
  EXPECT_TRUE(std::filesystem::exists(shot.path));
}

}  // namespace
