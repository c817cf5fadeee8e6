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
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
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

// Tests only: called, when set, between the two steps of releasing a waiting
// caller (setting its flag, then waking it), so a test can hold the releasing
// thread there. Unset, it costs one atomic load per call.
inline std::atomic<void (*)()> call_release_pause_for_tests{nullptr};

// Where a caller waits for its call to be carried out. The hand-back goes
// through a mutex and condition variable rather than Qt's blocking
// connection: Qt's own semaphore is invisible to ThreadSanitizer, and Qt
// still reads the caller's stack after the call has returned.
class CallDone {
 public:
  // The object lives on the caller's stack, and a caller that comes to its
  // wait once the flag is set goes on and leaves at once. So the wake-up
  // happens under the lock, which the caller needs before it can see the
  // flag: nothing here touches the object once the caller may have left.
  void Signal() {
    std::lock_guard lock(mutex_);
    done_ = true;
    if (void (*pause)() = call_release_pause_for_tests.load(std::memory_order_relaxed)) pause();
    ready_.notify_one();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  bool done_ = false;
};

// A call as the window thread's event carries it. Qt's event queue is locked
// where ThreadSanitizer cannot see, so under it the hand-over is declared on
// the call object itself: everything the caller did, building the call
// included, happens before the call runs. A waiting caller is released when
// the call has run, or when the event is dropped unrun because the
// application is going away. Elsewhere this is the plain call.
template <class F>
class WindowCall {
 public:
  WindowCall(F function, CallDone* done) : function_(std::move(function)), done_(done) {
    Release(this);
  }
  WindowCall(WindowCall&& other)
      : function_(std::move(other.function_)), done_(std::exchange(other.done_, nullptr)) {
    Release(this);
  }
  WindowCall& operator=(WindowCall&&) = delete;
  // Qt may drop its last reference to the call on the posting thread, after
  // the window thread ran it; its reference count is as invisible as its
  // queue, so the destructor takes the hand-over too.
  ~WindowCall() {
    Acquire(this);
    if (done_) done_->Signal();
  }
  void operator()() {
    Acquire(this);
    function_();
    CallDone* done = std::exchange(done_, nullptr);
    Release(this);
    if (done) done->Signal();
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
  CallDone* done_;
};

}  // namespace detail

template <class F>
auto RunOnWindowThread(F function) -> std::invoke_result_t<F> {
  using Result = std::invoke_result_t<F>;
  if (OnWindowThread()) return function();
  QCoreApplication* app = QCoreApplication::instance();
  detail::CallDone done;
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(app, detail::WindowCall(std::move(function), &done),
                              Qt::QueuedConnection);
    done.Wait();
  } else {
    // The call stores its result itself, before it signals.
    Result result{};
    auto store = [&result, &function] { result = function(); };
    QMetaObject::invokeMethod(app, detail::WindowCall(std::move(store), &done),
                              Qt::QueuedConnection);
    done.Wait();
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
