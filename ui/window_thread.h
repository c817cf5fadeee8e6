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

#if defined(__SANITIZE_THREAD__)
#define QUOTEVIEW_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUOTEVIEW_THREAD_SANITIZER 1
#endif
#endif
#ifdef QUOTEVIEW_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace ui {

inline bool OnWindowThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

namespace detail {

// Qt hands a blocking call over and back with its own futex-based semaphore,
// which ThreadSanitizer cannot see into. Under it the hand-off is declared:
// on the call object itself, so that everything the caller did (building the
// call included) happens before the call runs, and on a token of the
// caller's, so that the call happens before the caller goes on. Elsewhere this
// is the plain call.
template <class F>
class HandOff {
 public:
  HandOff(F function, void* token) : function_(std::move(function)), token_(token) {
    Release(this);
  }
  HandOff(HandOff&& other) : function_(std::move(other.function_)), token_(other.token_) {
    Release(this);
  }
  void operator()() {
    Acquire(this);
    function_();
    Release(token_);
  }

 private:
#ifdef QUOTEVIEW_THREAD_SANITIZER
  static void Acquire(void* address) {
    __tsan_acquire(address);
  }
  static void Release(void* address) {
    __tsan_release(address);
  }
#else
  static void Acquire(void*) {}
  static void Release(void*) {}
#endif

  F function_;
  void* token_;
};

// After the blocking call returns: the caller's side of the hand-off back.
inline void TakeOver([[maybe_unused]] void* token) {
#ifdef QUOTEVIEW_THREAD_SANITIZER
  __tsan_acquire(token);
#endif
}

}  // namespace detail

template <class F>
auto RunOnWindowThread(F function) -> std::invoke_result_t<F> {
  using Result = std::invoke_result_t<F>;
  if (OnWindowThread()) return function();
  QCoreApplication* app = QCoreApplication::instance();
  if constexpr (std::is_void_v<Result>) {
    char token;
    QMetaObject::invokeMethod(app, detail::HandOff(std::move(function), &token),
                              Qt::BlockingQueuedConnection);
    detail::TakeOver(&token);
  } else {
    // The call stores its result itself, inside the hand-off.
    Result result{};
    auto store = [&result, &function] { result = function(); };
    QMetaObject::invokeMethod(app, detail::HandOff(std::move(store), &result),
                              Qt::BlockingQueuedConnection);
    detail::TakeOver(&result);
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
