// Closing the main window ends the process at once, even while a worker
// thread is blocked in a list operation waiting for the window thread.
#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "app/main_form.h"
#include "app/program_end.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/message_loop.h"
#include "ui/window_registry.h"
#include "ui/window_runtime.h"

namespace {

[[noreturn]] void CloseWhileAWorkerWaitsOnTheList() {
  ui::InstallWindowRuntime();
  app::RegisterMainForm();
  ui::LoadStartWindow(app::kMainWindow);
  static std::atomic<int> writes{0};
  std::thread([] {
    // Each call waits for the window thread; the loop never ends by itself.
    for (;;) {
      ui::SetCellText(app::kWatchList, 0, 0, "600000");
      ++writes;
    }
  }).detach();
  ui::InsertRow(app::kWatchList);
  QTimer::singleShot(200, [] { ui::FindLoadedWindow(app::kMainWindow)->widget->close(); });
  ui::RunMessageLoop();
  // Prove the worker was really running through the window thread.
  if (writes.load() == 0) std::_Exit(3);
  app::EndProcess();
}

TEST(ShutdownDeathTest, ClosingTheWindowEndsTheProcessWithAWorkerBlocked) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(CloseWhileAWorkerWaitsOnTheList(), testing::ExitedWithCode(0), "");
}

}  // namespace
