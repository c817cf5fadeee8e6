// How the viewer's process ends once its message loop has returned.
#pragma once

namespace app {

// Closes the shared internet session, releases the platform libraries bound
// for the program and ends the process at once with `exit_code`. Refresh
// workers may still be running or waiting on the list: they end with the
// process, which skips every destructor that could wait for them.
[[noreturn]] void EndProcess(int exit_code = 0);

}  // namespace app
