// How the viewer's process ends once its window is closed.
#pragma once

namespace app {

// Closes the shared internet session, releases the platform libraries bound
// for the program and ends the process at once with `exit_code`. Refresh
// workers may still be running or waiting on the list: they end with the
// process, which skips every destructor that could wait for them.
[[noreturn]] void EndProcess(int exit_code = 0);

// Runs the message loop until the last window is gone, then ends the process
// with the code `exit_code` gives at that moment. A close that a handler's
// pending-events pump takes (while the row-change handler waits for its
// order book, say) ends the process there, before the handler goes on.
[[noreturn]] void RunUntilWindowClosed(int (*exit_code)());

}  // namespace app
