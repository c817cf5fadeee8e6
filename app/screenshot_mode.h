// Screenshot mode, for machines without a display: started with
// QUOTEVIEW_SCREENSHOT=<png path> (on the offscreen platform), the viewer
// fills its own window the way a user would (imports a few codes, selects one,
// waits for the refresh pass and the chart), writes a picture of the window to
// that path and closes it, which ends the program.
#pragma once

#include <string>

namespace app {

// The codes imported, all of which the stand-in market always lists.
inline constexpr const char* kScreenshotCodes[] = {"600000", "000001", "600519",
                                                   "000858", "601398", "601318"};
// The row selected once they are in.
inline constexpr int kScreenshotRow = 2;
// How long the pass and the chart may take before the picture is taken as it is.
inline constexpr int kScreenshotWaitMs = 15000;

// The picture's path from QUOTEVIEW_SCREENSHOT, made absolute, or empty when
// the variable is not set. Before the runtime starts: it changes the folder.
std::string ScreenshotPathFromEnvironment();

// Runs the mode on the loaded main window from inside the message loop.
// QUOTEVIEW_SCREENSHOT_WAIT_MS, when set, replaces kScreenshotWaitMs.
void StartScreenshotMode(const std::string& path);

// 0 once the picture is written; 1 when the service never answered or the
// file could not be written (a message on standard error says which).
int ScreenshotExitCode();

}  // namespace app
