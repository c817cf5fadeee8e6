#include "ui/event_dispatch.h"

namespace ui {
namespace {

// Handlers dispatched and not yet returned, nested ones included.
int handlers_running = 0;

}  // namespace

void RunBoundHandler(const FormDescription& form, int32_t unit_id, int32_t event) {
  for (const EventBinding& binding : form.events) {
    if (binding.unit == unit_id && binding.event == event && binding.handler) {
      ++handlers_running;
      binding.handler();
      --handlers_running;
      return;
    }
  }
}

bool HandlerRunning() {
  return handlers_running > 0;
}

}  // namespace ui
