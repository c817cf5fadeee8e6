// Closing the main window ends the process at once and cleanly: while a
// worker waits on the window thread for a list read, and while the row-change
// handler waits for its order book or its chart with another one running
// round it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "app/main_form.h"
#include "app/program_end.h"
#include "app/service_addresses.h"
#include "runtime/core_commands.h"
#include "tests/support/http_test_server.h"
#include "tests/support/quote_texts.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/message_loop.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"
#include "ui/unit_actions.h"

namespace {

using app_test::Exchange;
using app_test::Record;

// The main window with its runtime, but fatal errors go to standard error
// instead of a box nobody would close.
void LoadMainWindow() {
  rt::SetPendingEventsPump(ui::PumpPendingEvents);
  app::RegisterMainForm();
  ui::LoadStartWindow(app::kMainWindow);
}

void CloseMainWindow() {
  ui::FindLoadedWindow(app::kMainWindow)->widget->close();
}

// Queued for the window thread from any thread, as a user's input would be.
template <class F>
void QueueOnWindowThread(F function) {
  QMetaObject::invokeMethod(qApp, std::move(function), Qt::QueuedConnection);
}

// Selected and made current, as a click does: the row-change handler runs.
void SelectRow(int row) {
  ui::FocusRow(app::kWatchList, row);
}

[[noreturn]] void CloseWhileAWorkerWaitsOnTheList() {
  LoadMainWindow();
  static std::atomic<int> reads{0};
  std::thread([] {
    // Each read waits for the window thread; the loop never ends by itself.
    for (;;) {
      ui::GetCellText(app::kWatchList, 0, 0);
      ++reads;
    }
  }).detach();
  ui::InsertRow(app::kWatchList);
  // Closed once the worker is known to be going through the window thread,
  // so its next read is waiting when the window goes.
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll] {
    if (reads.load() < 3) return;
    poll->stop();
    CloseMainWindow();
  });
  poll->start(10);
  app::RunUntilWindowClosed([] { return 0; });
}

TEST(ShutdownDeathTest, ClosingTheWindowEndsTheProcessWithAWorkerWaitingOnARead) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CloseWhileAWorkerWaitsOnTheList(), testing::ExitedWithCode(0), "");
}

// Where the row-change handler waits when the close arrives.
enum class Wait { kOrderBook, kChart };

void PrintTo(Wait wait, std::ostream* out) {
  *out << (wait == Wait::kOrderBook ? "OrderBook" : "Chart");
}

// Rows 600000 and 600519. The first row's handler, waiting for its order book,
// takes the change to the second row, whose handler then runs inside it; the
// close arrives while that inner handler waits at `wait`, and its answer never
// comes in time. Whichever handler takes the close, the window is gone when it
// would go on. An answer sent, or an order book or chart asked for, after the
// close shows on standard error.
[[noreturn]] void CloseWhileANestedHandlerWaits(Wait wait) {
  const std::string first = "600000", second = "600519";
  static std::atomic<bool> closing = false;
  static test::HttpTestServer server;  // in use until the process ends
  auto serve = [wait](const std::string& path, const std::string& body,
                      std::optional<Wait> closes_at) {
    server.Reply(path, [=](const test::ReceivedRequest& request) {
      if (closing) std::fprintf(stderr, "asked after the close: %s\n", request.target.c_str());
      if (closes_at == wait) {
        closing = true;
        QueueOnWindowThread(CloseMainWindow);
        // The answer is held back: the process ends without waiting for it.
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::fprintf(stderr, "answered after the close\n");
      }
      return test::Answer::Parse(app_test::Answer(body));
    });
  };
  server.Reply("/q=" + Exchange(first) + first, [=](const test::ReceivedRequest&) {
    QueueOnWindowThread([] { SelectRow(1); });
    return test::Answer::Parse(app_test::Answer(Record(first, 33)));
  });
  serve("/q=" + Exchange(second) + second, Record(second, 33), Wait::kOrderBook);
  serve("/quotepic/10082333/" + second + ".png", "not a picture", Wait::kChart);
  serve("/quotepic/10082333/" + first + ".png", "not a picture", std::nullopt);
  setenv("QUOTEVIEW_QUOTE_PREFIX", server.Url("/q=").c_str(), 1);
  setenv("QUOTEVIEW_CHART_PREFIX", server.Url("/quotepic/10082333/").c_str(), 1);
  app::ReadServiceAddresses();
  LoadMainWindow();
  for (const std::string& code : {first, second}) {
    ui::SetCellText(app::kWatchList, ui::InsertRow(app::kWatchList), 0, code);
  }
  QTimer::singleShot(0, [] { SelectRow(0); });
  app::RunUntilWindowClosed([] { return 0; });
}

class CloseDuringAWaitDeathTest : public testing::TestWithParam<Wait> {};

TEST_P(CloseDuringAWaitDeathTest, EndsTheProcessAtOnceWithZeroAndNoError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CloseWhileANestedHandlerWaits(GetParam()), testing::ExitedWithCode(0),
              testing::AllOf(testing::Not(testing::HasSubstr("运行时出错")),
                             testing::Not(testing::HasSubstr("after the close"))));
}

INSTANTIATE_TEST_SUITE_P(Waits, CloseDuringAWaitDeathTest,
                         testing::Values(Wait::kOrderBook, Wait::kChart),
                         [](const testing::TestParamInfo<Wait>& info) {
                           return testing::PrintToString(info.param);
                         });

}  // namespace
