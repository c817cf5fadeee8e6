// Unit operations may be called from any thread, but controls belong to the
// window thread: a call from elsewhere is sent to the window thread as a
// window message, carried out there, and the caller waits until it is done,
// as a message sent to a control would be. The window thread takes such calls
// whenever it looks at its messages (its loop, a pending-events pump, a modal
// box).
#pragma once

#include <functional>
#include <type_traits>

namespace ui {

// Makes the calling thread the window thread: it gets the hidden window that
// other threads' calls are sent to. Once, before any unit is made.
void BecomeWindowThread();

// True on the window thread, and on every thread before there is one.
bool OnWindowThread();

namespace detail {
// Sends the call to the window thread and waits until it has run there. A
// call that cannot be delivered (the window thread is gone) does not run.
void SendToWindowThread(const std::function<void()>& call);
}  // namespace detail

template <class F>
auto RunOnWindowThread(F function) -> std::invoke_result_t<F> {
  using Result = std::invoke_result_t<F>;
  if (OnWindowThread()) return function();
  if constexpr (std::is_void_v<Result>) {
    detail::SendToWindowThread([&function] { function(); });
  } else {
    Result result{};
    detail::SendToWindowThread([&result, &function] { result = function(); });
    return result;
  }
}

}  // namespace ui
