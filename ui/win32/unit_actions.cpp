#include "ui/unit_actions.h"

#include <fstream>
#include <vector>

#include "ui/png_encoder.h"
#include "ui/win32/cartoon_units.h"
#include "ui/win32/list_view_unit.h"
#include "ui/win32/window_picture.h"
#include "ui/win32/window_registry.h"

namespace ui {

void ClickButton(const UnitRef& button) {
  // The button presses and releases itself and tells its parent it was clicked.
  if (HWND control = LookUpCommandUnit(button.window, button.unit).control()) {
    SendMessageW(control, BM_CLICK, 0, 0);
  }
}

void FocusRow(const UnitRef& list, int32_t row) {
  auto* unit = dynamic_cast<ListViewUnit*>(&LookUpCommandUnit(list.window, list.unit));
  if (!unit || !unit->control()) return;
  SetFocus(unit->control());
  // One change sets both bits, as a click does: the list clears the other
  // rows first, and the handler finds this row selected.
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(unit->control(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  SendMessageW(unit->control(), LVM_ENSUREVISIBLE, row, FALSE);
}

bool CartoonBoxShowsPicture(const UnitRef& box) {
  const auto* unit = dynamic_cast<const CartoonBoxUnit*>(&LookUpCommandUnit(box.window, box.unit));
  if (!unit) return false;
  for (const BoxObject& object : unit->model().objects()) {
    if (object.picture) return true;
  }
  return false;
}

bool SaveWindowPicture(int32_t window_id, const std::string& png_path) {
  const LoadedWindow* window = FindLoadedWindow(window_id);
  if (!window || !window->handle) return false;
  const WindowPicture picture = CaptureClientArea(window->handle);
  const std::vector<uint8_t> file = EncodePng(picture.pixels, picture.width, picture.height);
  if (file.empty()) return false;
  std::ofstream out(png_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace ui
