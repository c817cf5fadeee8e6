// Builds windows from their registered form descriptions (ui/form_registry.h):
// the top-level window at its position and size with its caption, then every
// unit in form order under its parent, then the window's creation event, then
// showing it. And closes them again.
#pragma once

#include <cstdint>

namespace ui {

// False when no window can be made: no window system, an id without a form,
// a unit of unknown type or a parent that does not come earlier in the form.
bool LoadWindow(int32_t window_id);
// As LoadWindow for the program's first window; failure is fatal
// ("载入启动窗口失败").
void LoadStartWindow(int32_t window_id);

// Closes every loaded window that still exists, as its user would. Window
// thread.
void CloseAllWindows();

}  // namespace ui
