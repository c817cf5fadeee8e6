// The idle callbacks of the runtime's message loop (ui/message_loop.h) over
// Qt: window units that need work done when no event is waiting register one
// callback per window.
#pragma once

#include <QWidget>

#include "ui/message_loop.h"

namespace ui {

using IdleCallback = void (*)(void* parameter);
// One entry per window: false (and nothing changes) when `window` has one.
bool AddIdleCallback(QWidget* window, IdleCallback callback, void* parameter);
void RemoveIdleCallback(const QWidget* window);
// Visits the entries from the last to the first, calling those whose window
// still exists and dropping the others. Window thread only.
void RunIdlePass();
int IdleCallbackCount();

}  // namespace ui
