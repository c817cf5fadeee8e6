// The runtime's message loop with its idle callbacks: window units that need
// work done when no event is waiting register one callback per window.
#pragma once

#include <QWidget>

namespace ui {

// Ends the program; never returns.
using ProgramEnd = void (*)();

// If a loaded window still exists, processes events until none is left (the
// last one closed); otherwise returns at once. Each time the loop is about to
// wait for events it makes one idle pass. When the last window goes while an
// event handler is running (its pending-events pump took the close), the
// handler would go on with a window that is gone: `end_inside_handler`, when
// given, ends the program there instead, unless a fatal error is being
// reported, which ends the program itself.
void RunMessageLoop(ProgramEnd end_inside_handler = nullptr);

using IdleCallback = void (*)(void* parameter);
// One entry per window: false (and nothing changes) when `window` has one.
bool AddIdleCallback(QWidget* window, IdleCallback callback, void* parameter);
void RemoveIdleCallback(const QWidget* window);
// Visits the entries from the last to the first, calling those whose window
// still exists and dropping the others. Window thread only.
void RunIdlePass();
int IdleCallbackCount();

}  // namespace ui
