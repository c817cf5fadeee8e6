#include "ui/win32/window_thread.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <utility>

#include "ui/message_loop.h"
#include "ui/win32/window_class.h"

namespace ui {
namespace {

constexpr const wchar_t* kCallWindowClass = L"QuoteviewWindowThreadCalls";
// wParam unused, lParam: the call, which the sender waits for.
constexpr UINT kRunCall = WM_APP + 1;
// wParam unused, lParam: a call on the heap, which the window thread frees.
constexpr UINT kRunPostedCall = WM_APP + 2;

std::atomic<DWORD> window_thread_id{0};
std::atomic<HWND> call_window{nullptr};

// The steps of RepeatFromLoop by timer id; the window thread alone uses them.
struct Step {
  std::function<bool()> function;
  // A step that pumps messages must not be started again by its own timer
  // while it runs.
  bool running = false;
};
std::map<UINT_PTR, Step>& Steps() {
  static std::map<UINT_PTR, Step> steps;
  return steps;
}

LRESULT CALLBACK CallWindowProcedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  switch (message) {
    case kRunCall:
      (*reinterpret_cast<const std::function<void()>*>(l_param))();
      return 0;
    case kRunPostedCall: {
      const std::unique_ptr<std::function<void()>> call(
          reinterpret_cast<std::function<void()>*>(l_param));
      (*call)();
      return 0;
    }
    case WM_TIMER: {
      auto found = Steps().find(w_param);
      if (found == Steps().end() || found->second.running) return 0;
      // The step keeps its state from call to call; the map keeps its place
      // while others are added.
      found->second.running = true;
      const bool again = found->second.function();
      found->second.running = false;
      if (!again) {
        KillTimer(window, w_param);
        Steps().erase(found);
      }
      return 0;
    }
    default:
      return DefWindowProcW(window, message, w_param, l_param);
  }
}

}  // namespace

void BecomeWindowThread() {
  if (call_window.load()) return;
  RegisterWindowClass(kCallWindowClass, CallWindowProcedure, nullptr);
  // A message-only window: never shown, never enumerated with the others.
  HWND window = CreateWindowExW(0, kCallWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ModuleInstance(), nullptr);
  window_thread_id.store(GetCurrentThreadId());
  call_window.store(window);
}

bool OnWindowThread() {
  const DWORD id = window_thread_id.load();
  return id == 0 || id == GetCurrentThreadId();
}

namespace detail {

void SendToWindowThread(const std::function<void()>& call) {
  SendMessageW(call_window.load(), kRunCall, 0, reinterpret_cast<LPARAM>(&call));
}

}  // namespace detail

void PostToWindowThread(std::function<void()> call) {
  if (OnWindowThread()) {
    call();
    return;
  }
  // A thread's earlier operations were sent and waited for, so they are done
  // before this one is even queued.
  auto owned = std::make_unique<std::function<void()>>(std::move(call));
  if (PostMessageW(call_window.load(), kRunPostedCall, 0, reinterpret_cast<LPARAM>(owned.get()))) {
    owned.release();  // the window thread frees it
  }
}

void RepeatFromLoop(int interval_ms, std::function<bool()> step) {
  HWND window = call_window.load();
  if (!window || !OnWindowThread()) return;
  static UINT_PTR next_id = 1;
  const UINT_PTR id = next_id++;
  Steps()[id].function = std::move(step);
  SetTimer(window, id, static_cast<UINT>(interval_ms), nullptr);
}

void CarryOutHandedOverCalls() {
  // Every call another thread hands over is sent and waited for, so what is
  // left are the calls whose senders are waiting now: take those.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace ui
