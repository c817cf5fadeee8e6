// The background refresh of the watch list: one pass over its rows on a
// thread of its own, asking the quote service for each row's short quote and
// writing the answer into the row's columns 1 to 5.
#pragma once

#include <cstdint>

#include "win32_types.h"

namespace app {

// The thread routine: one pass over the rows counted at its start, in row
// order, one short-form request per row. A row whose answer has 7 fields or
// fewer keeps its cells. The worker touches the list only through the list
// operations; its writes are posted to the window thread and go there with
// its next read, its reads wait.
DWORD RefreshWorker(LPVOID unused);

// Starts one worker through the platform table's thread creation: default
// security and stack, no parameter, no flags, the id not kept. The caller does
// not wait; the thread's resources go with it when it ends.
void StartRefreshWorker();

// Workers started and not yet ended (the screenshot mode and the tests wait
// for zero, on the window thread). A worker counts from its start until the
// window thread has carried out its last write.
int32_t RefreshPassesRunning();

}  // namespace app
