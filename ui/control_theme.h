// The control theme: a colour scheme (1, 2 or 3) for the standard controls of
// the calling thread. Switching it on takes over every eligible control that
// exists and, through a creation hook, every one created later; switching it
// off gives each control its own style and palette back.
#pragma once

#include <cstdint>

#include "runtime/call_frame.h"
#include "ui/unit_ref.h"

namespace ui {

namespace cmd {
// style -> Int: 1 for 1..3 (switched on); otherwise switched off, giving 1 when
// a creation hook was removed and 0 when none was set.
void ControlTheme(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
}  // namespace cmd

inline int32_t ControlTheme(int32_t style) {
  rt::ValueRecord args[] = {rt::ValueRecord::Int(style)};
  return static_cast<int32_t>(
      rt::CallLibraryCommand(kWindowLibrary, cmd::ControlTheme, args, 1).value);
}

}  // namespace ui
