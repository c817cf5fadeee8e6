// Unit operations may be called from any thread, but widgets live on the
// window thread: a call from elsewhere is carried out there while the caller
// waits, like a message sent to a window. The window thread takes such calls
// whenever it processes events (its loop, or a pending-events pump).
//
// An operation whose result nobody reads may instead be posted: the caller
// goes on at once. Both kinds travel as events to the application object, and
// Qt delivers the events one thread posts to one receiver in the order they
// were posted, so a thread's posted and waited-for calls are carried out in
// the order it made them: a call that waits sees every write posted before it.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <functional>
#include <type_traits>
#include <utility>

namespace ui {

inline bool OnWindowThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

template <class F>
auto RunOnWindowThread(F function) -> std::invoke_result_t<F> {
  using Result = std::invoke_result_t<F>;
  if (OnWindowThread()) return function();
  QCoreApplication* app = QCoreApplication::instance();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(app, std::move(function), Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(app, std::move(function), Qt::BlockingQueuedConnection, &result);
    return result;
  }
}

// The function must own everything it uses: the caller may free its
// arguments as soon as this returns. Each thread's posted calls wait in one
// queue of its own; only the first call into an empty queue posts an event,
// which runs every call queued by the time it is taken. So a worker writing
// several cells wakes the window thread once, and its order still holds: the
// queue is emptied before any event the worker posts after it.
void PostToWindowThread(std::function<void()> function);

}  // namespace ui
