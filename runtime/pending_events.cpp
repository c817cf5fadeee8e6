#include "runtime/pending_events.h"

#include <atomic>

#include "runtime/call_frame.h"

namespace rt {
namespace {

std::atomic<PendingEventsPump> pending_events_pump{nullptr};

}  // namespace

void SetPendingEventsPump(PendingEventsPump pump) {
  pending_events_pump.store(pump);
}

namespace cmd {

void ProcessPendingEvents(ValueRecord*, int32_t, ValueRecord*) {
  if (PendingEventsPump pump = pending_events_pump.load()) pump();
}

}  // namespace cmd

void ProcessPendingEvents() {
  CallCommand(cmd::ProcessPendingEvents, nullptr, 0);
}

}  // namespace rt
