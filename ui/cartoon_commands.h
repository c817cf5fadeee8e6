// The animation library's commands on a CartoonBox unit (the first argument),
// as CommandFns and typed wrappers. Carried out on the window thread.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/call_frame.h"
#include "runtime/owned.h"
#include "ui/unit_ref.h"

namespace ui {

namespace cmd {
// box: removes every placed object, raising the box's object-removal event first.
void RemoveAllObjects(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
// box, [template CartoonObject], x, y, [visible = 1], [tag = ""] -> Int object id.
void AddObject(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
}  // namespace cmd

void RemoveAllObjects(const UnitRef& box);
int32_t AddObject(const UnitRef& box, std::optional<UnitRef> template_object, int32_t x, int32_t y,
                  std::optional<bool> visible = {}, std::optional<rt::TextRef> tag = {});

}  // namespace ui
