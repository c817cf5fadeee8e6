// The backend's own window classes: registered once per process, on first use.
#pragma once

#include <windows.h>

namespace ui {

HINSTANCE ModuleInstance();

// Registers `name` with this procedure, the arrow cursor, `background` (null:
// the window erases nothing itself) and `extra_bytes` of window data. Later
// calls for the same name change nothing.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background,
                         int extra_bytes = 0);

}  // namespace ui
