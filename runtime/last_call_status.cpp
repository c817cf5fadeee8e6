// The status of the last member call lives per thread, so calls on the
// window thread and on a worker never disturb each other's status.
#include "runtime/last_call_status.h"

namespace rt {
namespace {
thread_local int32_t last_call_status = 0;
}  // namespace

int32_t LastCallStatus() {
  return last_call_status;
}

void SetLastCallStatus(int32_t status) {
  last_call_status = status;
}

}  // namespace rt
