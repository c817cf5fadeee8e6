// What the window layer lends the runtime: the error box shown on the window
// thread for any raising thread, the pending-events pump, the display check.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "tests/support/gbk_literals.h"
#include "ui/qt/window_runtime.h"
#include "ui/qt/window_thread.h"

namespace {

struct SeenBox {
  bool seen = false;
  bool on_window_thread = false;
  bool raiser_was_waiting = false;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption;
  QString text;
  int buttons = 0;
};

// Watches for the error box on the window thread, notes what it shows and
// closes it with its OK button.
QTimer* CloseBoxWhenShown(SeenBox* seen, const std::atomic<bool>* raiser_done) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [=] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(top);
      if (!box || !box->isVisible() || seen->seen) continue;
      seen->seen = true;
      seen->on_window_thread = QThread::currentThread() == qApp->thread();
      seen->raiser_was_waiting = raiser_done && !*raiser_done;
      seen->icon = box->icon();
      seen->caption = box->windowTitle();
      seen->text = box->text();
      seen->buttons = static_cast<int>(box->buttons().size());
      box->button(QMessageBox::Ok)->click();
    }
  });
  timer->start(5);
  return timer;
}

TEST(ErrorBox, RaisedOnAnotherThreadItIsShownOnTheWindowThreadWhileTheRaiserWaits) {
  SeenBox seen;
  std::atomic<bool> done = false;
  std::unique_ptr<QTimer> closer(CloseBoxWhenShown(&seen, &done));
  std::thread raiser([&] {
    ui::ShowErrorBox(rt::FatalErrorText(test::Gbk("数组成员引用下标超出定义范围").c_str(), 1),
                     test::Gbk("错误"));
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  raiser.join();

  ASSERT_TRUE(seen.seen);
  EXPECT_TRUE(seen.on_window_thread);
  EXPECT_TRUE(seen.raiser_was_waiting);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.caption, QString::fromUtf8("错误"));
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_EQ(
      seen.text,
      QString::fromUtf8("运行时出错!\n\n错误代码：1\n\n错误信息：数组成员引用下标超出定义范围\n"));
}

TEST(ErrorBoxDeathTest, AFatalErrorOnAWorkerShowsTheBoxThenEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ui::InstallWindowRuntime();
        SeenBox seen;
        QTimer* closer = CloseBoxWhenShown(&seen, nullptr);
        QObject::connect(closer, &QTimer::timeout, [&seen] {
          if (!seen.seen) return;
          // Report what was shown where the parent can check it.
          std::fprintf(stderr, "box:%s|%d\n", seen.text.toUtf8().constData(),
                       seen.on_window_thread ? 1 : 0);
          seen.seen = false;
        });
        std::thread([] { rt::ReportFatalErrorUtf8("测试出错", 0); }).detach();
        for (;;) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      },
      testing::ExitedWithCode(255), "box:运行时出错!\n\n错误信息：测试出错\n\\|1");
}

TEST(PendingEventsPump, ProcessesTheWindowThreadsEventsAndNothingElsewhere) {
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
  std::thread([] { ui::PumpPendingEvents(); }).join();
  EXPECT_FALSE(ran) << "a thread without an event loop has nothing to pump";
  ui::PumpPendingEvents();
  EXPECT_TRUE(ran);
}

TEST(PendingEventsPump, IsTheRuntimesPumpOnceInstalled) {
  ui::InstallWindowRuntime();
  bool ran = false;
  QMetaObject::invokeMethod(
      qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
  rt::ProcessPendingEvents();
  EXPECT_TRUE(ran);
  rt::SetFatalErrorPresenter(nullptr);  // later tests report on standard error
}

TEST(WindowThreadCall, AWaitingWorkerIsReleasedWhenItsCallIsDroppedUnrun) {
  // The events still queued when the application goes away are dropped: a
  // worker waiting on one of them must go on rather than wait for ever.
  std::atomic<bool> returned = false;
  int result = -1;
  std::thread worker([&] {
    result = ui::RunOnWindowThread([] { return 7; });
    returned = true;
  });
  while (!returned) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
  }
  worker.join();
  EXPECT_EQ(result, 0) << "the call never ran, so the worker gets the empty result";

  // A call that is taken runs and hands its result back.
  std::atomic<int> taken = -1;
  std::thread second([&] { taken = ui::RunOnWindowThread([] { return 7; }); });
  while (taken != 7) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  second.join();
  EXPECT_EQ(taken, 7);
}

// Releasing a waiting caller sets its flag, then wakes it. A worker that comes
// to its wait in between finds the flag set and may leave at once, and the
// state it waited on lives on its stack: the wake-up must be over before the
// worker can leave. The releasing side is held between its two steps for as
// long as the worker might take to leave.
TEST(WindowThreadCall, AWorkerLeavesItsWaitOnlyOnceItsReleaseIsOver) {
  static std::atomic<bool> paused, worker_left;
  static bool left_during_release;
  paused = false;
  worker_left = false;
  left_during_release = false;
  ui::detail::call_release_pause_for_tests = [] {
    paused = true;
    for (int waited = 0; waited < 500 && !worker_left; waited += 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    left_during_release = worker_left;
  };
  std::atomic<ui::detail::CallDone*> call = nullptr;
  std::atomic<bool> released = false;
  std::thread worker([&] {
    {
      ui::detail::CallDone done;
      call = &done;
      while (!paused) std::this_thread::yield();
      done.Wait();
    }
    worker_left = true;
    // The stack stays until the release is over, so a late wake-up meets
    // dead state rather than unmapped memory.
    while (!released) std::this_thread::yield();
  });
  while (!call) std::this_thread::yield();
  call.load()->Signal();
  released = true;
  worker.join();
  ui::detail::call_release_pause_for_tests = nullptr;
  EXPECT_FALSE(left_during_release) << "the worker left while its release still used its state";
}

TEST(DisplayCheck, NeedsAReachableDisplayOrAPlatformWithoutOne) {
  const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
                              qgetenv("WAYLAND_DISPLAY")};
  qunsetenv("QT_QPA_PLATFORM");
  qunsetenv("DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(ui::DisplayAvailable());
  // A display that is named but has no server behind it (the suite runs with
  // no X server at :93) is as good as none, for the default platform and for
  // the X11 one named with options.
  ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X93")));
  qputenv("DISPLAY", ":93");
  EXPECT_FALSE(ui::DisplayAvailable());
  qputenv("QT_QPA_PLATFORM", "xcb:nomitshm");
  EXPECT_FALSE(ui::DisplayAvailable());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  EXPECT_TRUE(ui::DisplayAvailable());
  qputenv("QT_QPA_PLATFORM", "wayland");
  EXPECT_FALSE(ui::DisplayAvailable());
  qputenv("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(ui::DisplayAvailable());
  const char* names[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i].isNull()) {
      qunsetenv(names[i]);
    } else {
      qputenv(names[i], saved[i]);
    }
  }
}

}  // namespace
