// What the window layer lends the runtime below it over Win32: the modal
// error box for fatal errors, the pending-events pump, and the destroying of
// windows at shutdown; plus the windows' font. The program starts all of it
// through ui/window_system.h.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The error box: no owner, the error icon, the given caption and one OK
// button, shown on the calling thread, which waits until it is closed.
// MessageBoxA shows GBK as it is where the system's ANSI code page is 936;
// elsewhere the texts are widened from code page 936 first.
void ShowErrorBox(const std::string& gbk_text, const std::string& gbk_caption);

// The font of the windows and their units: the system's message font at 12
// pixels.
HFONT WindowFont();

}  // namespace ui
