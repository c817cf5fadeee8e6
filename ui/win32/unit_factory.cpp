#include "ui/unit_ref.h"
#include "ui/win32/cartoon_units.h"
#include "ui/win32/list_view_unit.h"
#include "ui/win32/standard_units.h"
#include "ui/win32/unit.h"

namespace ui {

std::unique_ptr<Unit> MakeUnit(int32_t window_id, const FormUnit& form) {
  switch (form.type) {
    case unit_type::Button:
      return std::make_unique<ButtonUnit>(window_id, form);
    case unit_type::EditBox:
      return std::make_unique<EditBoxUnit>(window_id, form);
    case unit_type::Label:
      return std::make_unique<LabelUnit>(window_id, form);
    case unit_type::GroupBox:
      return std::make_unique<GroupBoxUnit>(window_id, form);
    case unit_type::ListView:
      return std::make_unique<ListViewUnit>(window_id, form);
    case unit_type::CartoonBox:
      return std::make_unique<CartoonBoxUnit>(window_id, form);
    case unit_type::CartoonObject:
      return std::make_unique<CartoonObjectUnit>(window_id, form);
    default:
      return nullptr;
  }
}

}  // namespace ui
