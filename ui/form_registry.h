// The runtime's window templates: the form descriptions registered at
// start-up, by window id. Every backend builds its windows from these.
// Window thread only.
#pragma once

#include <cstdint>

#include "ui/form.h"

namespace ui {

// Registering an id again replaces its description (only allowed while no
// window of that id is loaded).
void RegisterForm(FormDescription form);
// Null for an id that has no form.
const FormDescription* FindForm(int32_t window_id);

}  // namespace ui
