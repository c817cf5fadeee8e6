// Starting the window system that the window units are built on, on the
// window thread (the one that calls it), before any window is loaded.
#pragma once

namespace ui {

// Connects to the window system and lends the runtime its error box, its
// pending-events pump and the closing of windows at shutdown. With
// `unseen`, the windows need not be seen by anyone (a screenshot is taken of
// them): where the window system can draw without a display, it does so
// unless told otherwise. Returns false when no window system can be reached:
// loading a window then fails, and fatal errors are written to standard error.
bool StartWindowSystem(int& argc, char** argv, bool unseen);

}  // namespace ui
