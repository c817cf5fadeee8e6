#include "ui/qt/window_thread.h"

#include <memory>
#include <mutex>
#include <vector>

namespace ui {
namespace {

// The calls one thread has posted that the window thread has not yet taken.
// Shared with the event that will run them, so a thread may end first.
struct PostedCalls {
  std::mutex mutex;
  std::vector<std::function<void()>> calls;
};

void RunPostedCalls(PostedCalls& queue) {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard lock(queue.mutex);
    calls.swap(queue.calls);
  }
  for (std::function<void()>& call : calls) call();
}

}  // namespace

void PostToWindowThread(std::function<void()> function) {
  if (OnWindowThread()) {
    function();
    return;
  }
  thread_local const auto queue = std::make_shared<PostedCalls>();
  {
    std::lock_guard lock(queue->mutex);
    queue->calls.push_back(std::move(function));
    if (queue->calls.size() > 1) return;  // the event for the first one is still to come
  }
  // Qt's event queue is locked where ThreadSanitizer cannot see, so the
  // event's own copy of the queue handle is handed over explicitly.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      detail::WindowCall([queue = queue] { RunPostedCalls(*queue); }, nullptr),
      Qt::QueuedConnection);
}

}  // namespace ui
