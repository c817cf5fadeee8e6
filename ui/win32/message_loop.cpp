#include "ui/win32/message_loop.h"

#include <vector>

#include "runtime/fatal_error.h"
#include "ui/win32/window_registry.h"

namespace ui {
namespace {

struct IdleEntry {
  HWND window;
  IdleCallback callback;
  void* parameter;
};

// Only the window thread uses the list.
std::vector<IdleEntry>& IdleEntries() {
  static std::vector<IdleEntry> entries;
  return entries;
}

ProgramEnd running_end_inside_handler = nullptr;

// Tab and the arrow keys between controls, as in a dialog: the window's
// keyboard navigation takes the message, or it goes on to its control.
bool TakenByKeyboardNavigation(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) {
    return false;
  }
  HWND top = GetAncestor(message.hwnd, GA_ROOT);
  return top && IsDialogMessageW(top, &message);
}

void Dispatch(MSG& message) {
  if (TakenByKeyboardNavigation(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void EndLoop() {
  if (running_end_inside_handler && HandlerRunning() && rt::EventBlockCount() == 0) {
    running_end_inside_handler();
  }
  PostQuitMessage(0);
}

}  // namespace

void RunMessageLoop(ProgramEnd end_inside_handler) {
  if (!AnyWindowAlive()) return;
  running_end_inside_handler = end_inside_handler;
  SetLastWindowGoneCallback(EndLoop);
  MSG message;
  for (;;) {
    // One idle pass each time the loop is about to wait.
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) RunIdlePass();
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;  // the quit message, or no queue
    Dispatch(message);
  }
  SetLastWindowGoneCallback(nullptr);
  running_end_inside_handler = nullptr;
}

void PumpPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {
      // Put back for the loop: a sent message let a quit in ahead of what was looked at.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Dispatch(message);
  }
}

bool AddIdleCallback(HWND window, IdleCallback callback, void* parameter) {
  std::vector<IdleEntry>& entries = IdleEntries();
  // An entry whose window is gone belongs to no window any more.
  std::erase_if(entries, [](const IdleEntry& entry) { return !IsWindow(entry.window); });
  for (const IdleEntry& entry : entries) {
    if (entry.window == window) return false;
  }
  entries.push_back({window, callback, parameter});
  return true;
}

void RemoveIdleCallback(HWND window) {
  std::erase_if(IdleEntries(), [window](const IdleEntry& entry) { return entry.window == window; });
}

void RunIdlePass() {
  std::vector<IdleEntry>& entries = IdleEntries();
  // A callback may add or remove entries, so the position is checked each time.
  for (size_t position = entries.size(); position-- > 0;) {
    if (position >= entries.size()) continue;
    if (!IsWindow(entries[position].window)) {
      entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(position));
      continue;
    }
    const IdleEntry entry = entries[position];
    entry.callback(entry.parameter);
  }
}

int IdleCallbackCount() {
  return static_cast<int>(IdleEntries().size());
}

}  // namespace ui
