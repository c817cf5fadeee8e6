#include "ui/win32/window_registry.h"

#include "ui/window_table.h"

namespace ui {
namespace {

WindowTable<LoadedWindow>& Windows() {
  static WindowTable<LoadedWindow> windows;
  return windows;
}

void (*last_window_gone)() = nullptr;

}  // namespace

LoadedWindow::~LoadedWindow() {
  // The window takes its unit controls with it; the units go afterwards. The
  // record is leaving the tables, so its end is not reported.
  leaving = true;
  if (handle) DestroyWindow(handle);
  units.clear();
}

Unit* LoadedWindow::FindUnit(int32_t unit_id) const {
  return FindUnitIn(units, unit_id);
}

LoadedWindow* FindLoadedWindow(int32_t window_id) {
  return Windows().Find(window_id);
}

LoadedWindow& AddLoadedWindow(const FormDescription& form) {
  return Windows().Add(form);
}

void WindowGone(LoadedWindow& window) {
  window.handle = nullptr;
  for (const auto& unit : window.units) unit->Forget();
  if (!window.leaving && !AnyWindowAlive() && last_window_gone) last_window_gone();
}

Unit& LookUpUnit(int32_t window_id, int32_t unit_id) {
  return Windows().UnitForProperty(window_id, unit_id);
}

Unit& LookUpCommandUnit(int32_t window_id, int32_t unit_id) {
  return Windows().UnitForCommand(window_id, unit_id);
}

bool AnyWindowAlive() {
  for (const auto& [id, window] : Windows().records()) {
    if (window->handle) return true;
  }
  return false;
}

void CloseAllWindows() {
  // Posted, as the user's close is: the window goes when the loop (or a
  // pending-events pump) takes the close, never from inside a control that
  // is still handling a message of its own.
  for (const auto& [id, window] : Windows().records()) {
    if (window->handle) PostMessageW(window->handle, WM_CLOSE, 0, 0);
  }
}

void DestroyAllWindows() {
  for (const auto& [id, window] : Windows().records()) {
    if (window->handle) DestroyWindow(window->handle);
  }
}

void UnloadAllWindows() {
  Windows().Clear();
}

void SetLastWindowGoneCallback(void (*callback)()) {
  last_window_gone = callback;
}

void DispatchEvent(int32_t window_id, int32_t unit_id, int32_t event) {
  Windows().Dispatch(window_id, unit_id, event);
}

}  // namespace ui
