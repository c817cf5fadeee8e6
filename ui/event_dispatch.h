// The part of event dispatch every backend shares: running the handler a
// form binds to a unit's event, and knowing whether one is running. Window
// thread only.
#pragma once

#include <cstdint>

#include "ui/form.h"

namespace ui {

// Runs the handler that `form` binds to (unit, event), if it binds one.
void RunBoundHandler(const FormDescription& form, int32_t unit_id, int32_t event);

// Whether a handler run by RunBoundHandler has not returned yet: events taken
// now are taken by a pending-events pump inside it.
bool HandlerRunning();

}  // namespace ui
