#include "ui/qt/window_thread.h"

#include <QMetaObject>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace ui {
namespace detail {
namespace {

// One call in a thread's queue. A caller waiting for it is released once it
// has run, or when it is destroyed unrun.
class QueuedCall {
 public:
  QueuedCall(std::function<void()> function, CallDone* done)
      : function_(std::move(function)), done_(done) {}
  QueuedCall(QueuedCall&& other)
      : function_(std::move(other.function_)), done_(std::exchange(other.done_, nullptr)) {}
  QueuedCall& operator=(QueuedCall&&) = delete;
  ~QueuedCall() {
    if (done_) done_->Signal();
  }
  void Run() {
    function_();
    if (CallDone* done = std::exchange(done_, nullptr)) done->Signal();
  }

 private:
  std::function<void()> function_;
  CallDone* done_;
};

// The calls one thread has handed over that the window thread has not yet
// taken. Shared with the event that will take them, so a thread may end first.
struct CallQueue {
  std::mutex mutex;
  std::vector<QueuedCall> calls;
  bool event_posted = false;  // an event will take the calls; none other is needed

  std::vector<QueuedCall> Take() {
    std::vector<QueuedCall> taken;
    std::lock_guard lock(mutex);
    taken.swap(calls);
    event_posted = false;
    return taken;
  }
};

// Asks the window thread to take the queue's calls, unless an event is
// already on its way. Without an application nothing will take them: they
// are dropped, which releases their callers.
void PostTakingEvent(const std::shared_ptr<CallQueue>& queue) {
  {
    std::lock_guard lock(queue->mutex);
    if (queue->event_posted || queue->calls.empty()) return;
    queue->event_posted = true;
  }
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) {
    queue->Take();
    return;
  }
  QMetaObject::invokeMethod(application,
                            WindowEvent(
                                [queue] {
                                  for (QueuedCall& call : queue->Take()) call.Run();
                                },
                                // Dropped unrun: the calls taken are destroyed, which releases
                                // their callers, and the thread's next call posts an event again.
                                [queue] { queue->Take(); }),
                            Qt::QueuedConnection);
}

// The calling thread's queue. Calls still in it when the thread ends are
// handed over then.
class ThreadQueue {
 public:
  ~ThreadQueue() { PostTakingEvent(queue_); }
  const std::shared_ptr<CallQueue>& queue() const { return queue_; }

 private:
  std::shared_ptr<CallQueue> queue_ = std::make_shared<CallQueue>();
};

}  // namespace

void HandOver(std::function<void()> function, CallDone* done) {
  thread_local ThreadQueue thread_queue;
  const std::shared_ptr<CallQueue>& queue = thread_queue.queue();
  {
    std::lock_guard lock(queue->mutex);
    queue->calls.emplace_back(std::move(function), done);
  }
  // A posted call waits for the thread's next call that waits, or its end.
  if (done) PostTakingEvent(queue);
}

}  // namespace detail

void PostToWindowThread(std::function<void()> function) {
  if (OnWindowThread()) {
    function();
    return;
  }
  detail::HandOver(std::move(function), nullptr);
}

}  // namespace ui
