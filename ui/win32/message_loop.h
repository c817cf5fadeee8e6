// The runtime's message loop (ui/message_loop.h) over the Win32 message
// queue, its idle callbacks, and the pending-events pump: window units that
// need work done when no message is waiting register one callback per window.
#pragma once

#include <windows.h>

#include "ui/message_loop.h"

namespace ui {

using IdleCallback = void (*)(void* parameter);
// One entry per window: false (and nothing changes) when `window` has one.
bool AddIdleCallback(HWND window, IdleCallback callback, void* parameter);
void RemoveIdleCallback(HWND window);
// Visits the entries from the last to the first, calling those whose window
// still exists and dropping the others. Window thread only.
void RunIdlePass();
int IdleCallbackCount();

// The pending-events pump the runtime runs in ProcessPendingEvents: while a
// message is waiting (looked at without removing it) and it is not the quit
// message, takes it, translates and dispatches it. Messages other threads
// send are carried out while it looks. The quit message stays queued for the
// loop. Any thread: a worker has no windows, so its queue is empty.
void PumpPendingEvents();

}  // namespace ui
