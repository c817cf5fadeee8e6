// The animation library's commands on a CartoonBox unit (the first argument),
// as CommandFns, which the backend defines, and typed wrappers. Carried out
// on the window thread.
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

inline void RemoveAllObjects(const UnitRef& box) {
  rt::ValueRecord args[] = {box.Record()};
  rt::CallLibraryCommand(kCartoonLibrary, cmd::RemoveAllObjects, args, 1);
}

inline int32_t AddObject(const UnitRef& box, std::optional<UnitRef> template_object, int32_t x,
                         int32_t y, std::optional<bool> visible = {},
                         std::optional<rt::TextRef> tag = {}) {
  rt::ValueRecord args[] = {box.Record(),
                            template_object ? template_object->Record() : rt::ValueRecord{},
                            rt::ValueRecord::Int(x),
                            rt::ValueRecord::Int(y),
                            visible ? rt::ValueRecord::Bool(*visible) : rt::ValueRecord{},
                            tag ? rt::ValueRecord::Text(tag->get()) : rt::ValueRecord{}};
  return static_cast<int32_t>(
      rt::CallLibraryCommand(kCartoonLibrary, cmd::AddObject, args, 6).value);
}

}  // namespace ui
