// Form descriptions: a window and its units as plain data, in form order. The
// loader builds widgets from them; event bindings route unit notifications to
// application handlers by unit and event number.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/value.h"

namespace ui {

// Unit id 0 stands for the window itself in event bindings.
inline constexpr int32_t kWindowItself = 0;

// Event numbers raised by the units.
namespace event {
inline constexpr int32_t WindowCreated = 0;  // window: built while loading, before shown
inline constexpr int32_t ButtonClicked = 0;  // Button
inline constexpr int32_t RowFocused = 0;     // ListView: a row's focus went from off to on
inline constexpr int32_t ObjectRemoved = 1;  // CartoonBox: before an object is removed
}  // namespace event

using EventHandler = void (*)();

struct EventBinding {
  int32_t unit = kWindowItself;
  int32_t event = 0;
  EventHandler handler = nullptr;
};

struct ListColumn {
  const char* title = "";  // UTF-8 source text
  int width = 0;
};

struct FormUnit {
  int32_t id = 0;  // unique within the window, not 0
  const char* name = "";
  rt::TypeCode type = rt::type::None;
  int32_t parent = kWindowItself;  // a unit id earlier in the form, or the window
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  const char* text = "";            // UTF-8 source text: caption or content
  std::vector<ListColumn> columns;  // ListView only
  // What screen readers say (UTF-8); empty keeps the control's own: a label's
  // name is its shown text.
  const char* accessible_name = "";
  const char* accessible_description = "";
};

struct FormDescription {
  int32_t id = 0;
  const char* caption = "";
  int left = 0;
  int top = 0;
  int width = 0;  // outer size: the frame's where there is one, else the client area's
  int height = 0;
  std::vector<FormUnit> units;
  std::vector<EventBinding> events;
};

}  // namespace ui
