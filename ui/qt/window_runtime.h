// What the window layer lends the runtime below it: the modal error box for
// fatal errors, the pending-events pump, and the closing of windows at
// shutdown; plus the start-up checks and the windows' font. The program
// starts all of it through ui/window_system.h.
#pragma once

#include <QFont>
#include <string>

namespace ui {

// Whether the window system that Qt would use can be reached: the X server
// DISPLAY names answers (Qt's default platform, or QT_QPA_PLATFORM=xcb), a
// Wayland display is named for the Wayland platform, or QT_QPA_PLATFORM
// chooses one that needs no display (offscreen). Without one, creating the
// application object would abort the process.
bool DisplayAvailable();

// Installs the error box, the pump and the shutdown step. Once, on the window
// thread, after the QApplication exists.
void InstallWindowRuntime();

// The error box: critical icon, the given caption, one OK button, no owner.
// Shown on the window thread whichever thread calls; the caller waits until
// it is closed. Without a window system the text goes to standard error.
void ShowErrorBox(const std::string& gbk_text, const std::string& gbk_caption);

// Processes the calling thread's pending events: the window thread's through
// Qt, nothing on a thread that has no event loop.
void PumpPendingEvents();

// The font of the windows: WenQuanYi Micro Hei when installed, so Chinese
// captions render, else the application's font.
QFont WindowFont();

}  // namespace ui
