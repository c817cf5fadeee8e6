// The pending-events pump: the window layer lends the runtime how a thread's
// pending window events are processed, and ProcessPendingEvents runs it, so a
// long operation (a request waiting on the network) keeps its window alive.
// Without a pump installed there is nothing to process.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

namespace cmd {
void ProcessPendingEvents(ValueRecord* result, int32_t arg_count, ValueRecord* args);
}  // namespace cmd

// Pumps the calling thread's pending window events through the installed pump.
void ProcessPendingEvents();

// Installs (or, with null, removes) the pump for every thread.
using PendingEventsPump = void (*)();
void SetPendingEventsPump(PendingEventsPump pump);

}  // namespace rt
