#include "ui/common_properties.h"

#include "runtime/blocks.h"
#include "ui/unit_properties.h"

namespace ui {

CommonProperties::CommonProperties(const FormUnit& form)
    : place_{form.left, form.top, form.width, form.height} {}

uint64_t CommonProperties::Read(int32_t property, const ShownState* shown) const {
  const UnitPlace& place = shown ? shown->place : place_;
  switch (property) {
    case property::Left:
      return IntValue(place.left);
    case property::Top:
      return IntValue(place.top);
    case property::Width:
      return IntValue(place.width);
    case property::Height:
      return IntValue(place.height);
    case property::Tag:
      return TextValue(tag_);
    case property::Visible:
      return IntValue(shown ? shown->visible : visible_);
    case property::Disabled:
      return IntValue(shown ? shown->disabled : disabled_);
    case property::MousePointer:
      return IntValue(mouse_pointer_);
    default:
      return 0;
  }
}

CommonProperties::Change CommonProperties::Write(int32_t property, uint64_t value,
                                                 const UnitPlace* shown_place) {
  const auto number = static_cast<int32_t>(value);
  // Keep the stored values in step with what the widget shows.
  if (shown_place) place_ = *shown_place;
  switch (property) {
    case property::Left:
      place_.left = number;
      return Change::kPlace;
    case property::Top:
      place_.top = number;
      return Change::kPlace;
    case property::Width:
      place_.width = number;
      return Change::kPlace;
    case property::Height:
      place_.height = number;
      return Change::kPlace;
    case property::Tag:
      tag_ = std::string(TextFromValue(value));
      return Change::kNothing;
    case property::Visible:
      visible_ = number != 0;
      return Change::kVisible;
    case property::Disabled:
      disabled_ = number != 0;
      return Change::kDisabled;
    case property::MousePointer:
      // Kept for the application to read back; the units show the standard pointer.
      mouse_pointer_ = number;
      return Change::kNothing;
    default:
      return Change::kNothing;
  }
}

uint64_t TextValue(std::string_view gbk) {
  return reinterpret_cast<uintptr_t>(rt::NewText(gbk));
}

std::string_view TextFromValue(uint64_t value) {
  return rt::TextView(reinterpret_cast<const char*>(static_cast<uintptr_t>(value)));
}

uint64_t IntValue(int32_t value) {
  return static_cast<uint32_t>(value);
}

}  // namespace ui
