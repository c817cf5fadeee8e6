#include "ui/qt/message_loop.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

#include "blocking_wait.h"
#include "runtime/fatal_error.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_thread.h"

namespace ui {
namespace {

struct IdleEntry {
  const QWidget* key;
  QPointer<QWidget> window;
  IdleCallback callback;
  void* parameter;
};

// Only the window thread uses the list.
std::vector<IdleEntry>& IdleEntries() {
  static std::vector<IdleEntry> entries;
  return entries;
}

QEventLoop* running_loop = nullptr;
ProgramEnd running_end_inside_handler = nullptr;

// While the loop runs, a window thread that a download blocks still takes
// what needs no user input: its window's close above all, repaints and the
// workers' list calls. Input waits for the next pending-events pump, the only
// place a handler may start nested inside another.
void ServeWindowThreadWhileBlocked() {
  if (!QCoreApplication::instance() || !OnWindowThread() || rt::EventBlockCount() != 0) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void EndLoop() {
  if (running_end_inside_handler && HandlerRunning() && rt::EventBlockCount() == 0) {
    running_end_inside_handler();
  }
  if (running_loop) running_loop->quit();
}

}  // namespace

void RunMessageLoop(ProgramEnd end_inside_handler) {
  if (!QCoreApplication::instance() || !AnyWindowAlive()) return;
  // The loop ends with the last loaded window, not with whichever window Qt
  // considers the last one (an error box, say).
  QGuiApplication::setQuitOnLastWindowClosed(false);
  QEventLoop loop;
  running_loop = &loop;
  running_end_inside_handler = end_inside_handler;
  SetLastWindowGoneCallback(EndLoop);
  platform::SetBlockingWaitHook(ServeWindowThreadWhileBlocked);
  const QMetaObject::Connection idle = QObject::connect(
      QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, RunIdlePass);
  loop.exec();
  QObject::disconnect(idle);
  platform::SetBlockingWaitHook(nullptr);
  SetLastWindowGoneCallback(nullptr);
  running_end_inside_handler = nullptr;
  running_loop = nullptr;
}

void RepeatFromLoop(int interval_ms, std::function<bool()> step) {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [timer, step = std::move(step)] {
    if (step()) return;
    timer->stop();
    timer->deleteLater();
  });
  timer->start(interval_ms);
}

void CarryOutHandedOverCalls() {
  QCoreApplication::sendPostedEvents();
}

bool AddIdleCallback(QWidget* window, IdleCallback callback, void* parameter) {
  // An entry whose window is gone belongs to no window any more, even when a
  // new window now lives at its address.
  std::erase_if(IdleEntries(),
                [window](const IdleEntry& entry) { return entry.key == window && !entry.window; });
  for (const IdleEntry& entry : IdleEntries()) {
    if (entry.key == window) return false;
  }
  IdleEntries().push_back({window, window, callback, parameter});
  return true;
}

void RemoveIdleCallback(const QWidget* window) {
  std::erase_if(IdleEntries(), [window](const IdleEntry& entry) { return entry.key == window; });
}

void RunIdlePass() {
  std::vector<IdleEntry>& entries = IdleEntries();
  // A callback may add or remove entries, so the position is checked each time.
  for (size_t position = entries.size(); position-- > 0;) {
    if (position >= entries.size()) continue;
    if (!entries[position].window) {
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(position));
      continue;
    }
    const IdleEntry entry = entries[position];
    entry.callback(entry.parameter);
  }
  // Qt's own idle work (deferred deletion, timers) happens inside its loop.
}

int IdleCallbackCount() {
  return static_cast<int>(IdleEntries().size());
}

}  // namespace ui
