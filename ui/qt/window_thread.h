// Unit operations may be called from any thread, but widgets live on the
// window thread: a call from elsewhere is carried out there while the caller
// waits, like a message sent to a window. The window thread takes such calls
// whenever it processes events (its loop, or a pending-events pump).
//
// An operation whose result nobody reads may instead be posted: the caller
// goes on at once. Both kinds wait in one queue per calling thread, in the
// order the thread made them. Posted calls do not wake the window thread by
// themselves: they go with the thread's next call that waits, or are handed
// over when the thread ends. So a call that waits sees every write posted
// before it, and a worker that writes a row and then reads the next one
// costs the window thread one wake-up, not two.
#pragma once

#include <QCoreApplication>
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

// The event that takes a thread's queued calls to the window thread. Qt's
// event queue is locked where ThreadSanitizer cannot see, so under it the
// hand-over is declared on the event's own object: everything the posting
// thread did before, building the event included, happens before it runs. An
// event dropped unrun (the application is going away) runs its destructor
// only, which drops the calls it would have run and releases their callers.
// Elsewhere this is the plain function object.
template <class Run, class Drop>
class WindowEvent {
 public:
  WindowEvent(Run run, Drop drop) : run_(std::move(run)), drop_(std::move(drop)) { Release(this); }
  WindowEvent(WindowEvent&& other)
      : run_(std::move(other.run_)),
        drop_(std::move(other.drop_)),
        pending_(std::exchange(other.pending_, false)) {
    Release(this);
  }
  WindowEvent& operator=(WindowEvent&&) = delete;
  // Qt may drop its last reference to the event on the posting thread, after
  // the window thread ran it; its reference count is as invisible as its
  // queue, so the destructor takes the hand-over too.
  ~WindowEvent() {
    Acquire(this);
    if (pending_) drop_();
  }
  void operator()() {
    Acquire(this);
    pending_ = false;
    run_();
    Release(this);
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

  Run run_;
  Drop drop_;
  bool pending_ = true;
};

// Queues `function` for the window thread behind the calling thread's earlier
// calls. With `done` the queue is handed over at once, and `done` is
// signalled once the call has run, or once it has been dropped unrun; without
// it the call waits for the thread's next call with one, or the thread's end.
void HandOver(std::function<void()> function, CallDone* done);

}  // namespace detail

template <class F>
auto RunOnWindowThread(F function) -> std::invoke_result_t<F> {
  using Result = std::invoke_result_t<F>;
  if (OnWindowThread()) return function();
  detail::CallDone done;
  if constexpr (std::is_void_v<Result>) {
    detail::HandOver([&function] { function(); }, &done);
    done.Wait();
  } else {
    // The call stores its result itself, before it signals; a call dropped
    // unrun leaves the empty result.
    Result result{};
    detail::HandOver([&result, &function] { result = function(); }, &done);
    done.Wait();
    return result;
  }
}

// The function must own everything it uses: the caller may free its
// arguments as soon as this returns. A thread that posts must later make a
// call that waits, or end, for its posted calls to be carried out.
void PostToWindowThread(std::function<void()> function);

}  // namespace ui
