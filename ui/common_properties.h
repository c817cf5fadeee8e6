// The properties every window unit has (0 left, 1 top, 2 width, 3 height,
// 4 tag, 5 visible, 6 disabled, 7 mouse pointer): the values a unit keeps
// while no widget shows it, and the one rule by which both backends read and
// write them. A backend passes what its widget shows now and applies what a
// write changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/form.h"

namespace ui {

// A unit's place in its parent's client area.
struct UnitPlace {
  int left, top, width, height;
};

// What a unit's widget shows now: its own visible and disabled flags, so a
// unit inside a hidden parent still counts as shown.
struct ShownState {
  UnitPlace place;
  bool visible;
  bool disabled;
};

class CommonProperties {
 public:
  explicit CommonProperties(const FormUnit& form);

  // `shown` is the widget's state, or null while no widget exists; then the
  // stored values answer. Texts are GBK; a text read is a new runtime block
  // (or null).
  uint64_t Read(int32_t property, const ShownState* shown) const;

  // What a write asks the widget to change.
  enum class Change { kNothing, kPlace, kVisible, kDisabled };
  // `shown_place` is the widget's place, or null while no widget exists. It is
  // taken over first, so a write of one coordinate keeps the others as shown.
  Change Write(int32_t property, uint64_t value, const UnitPlace* shown_place);

  const UnitPlace& place() const { return place_; }
  bool visible() const { return visible_; }
  bool disabled() const { return disabled_; }

 private:
  UnitPlace place_;
  std::string tag_;
  bool visible_ = true;
  bool disabled_ = false;
  int32_t mouse_pointer_ = 0;
};

// Value helpers shared by the property handlers.
uint64_t TextValue(std::string_view gbk);  // a new runtime text block, null when empty
std::string_view TextFromValue(uint64_t value);
uint64_t IntValue(int32_t value);

}  // namespace ui
