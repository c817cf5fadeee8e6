#include "ui/win32/window_registry.h"

#include <map>

#include "runtime/fatal_error.h"

namespace ui {
namespace {

std::map<int32_t, std::unique_ptr<LoadedWindow>>& Windows() {
  static std::map<int32_t, std::unique_ptr<LoadedWindow>> windows;
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
  for (const auto& unit : units) {
    if (unit->id() == unit_id) return unit.get();
  }
  return nullptr;
}

LoadedWindow* FindLoadedWindow(int32_t window_id) {
  auto found = Windows().find(window_id);
  return found == Windows().end() ? nullptr : found->second.get();
}

LoadedWindow& AddLoadedWindow(const FormDescription& form) {
  auto window = std::make_unique<LoadedWindow>();
  window->form = &form;
  LoadedWindow& added = *window;
  Windows()[form.id] = std::move(window);
  return added;
}

void WindowGone(LoadedWindow& window) {
  window.handle = nullptr;
  for (const auto& unit : window.units) unit->Forget();
  if (!window.leaving && !AnyWindowAlive() && last_window_gone) last_window_gone();
}

Unit& LookUpUnit(int32_t window_id, int32_t unit_id) {
  const LoadedWindow* window = FindLoadedWindow(window_id);
  if (!window) rt::ReportFatalErrorUtf8(rt::message::UnitWindowNotLoaded, 0);
  Unit* unit = window->FindUnit(unit_id);
  if (!unit) rt::ReportFatalErrorUtf8(rt::message::UnitNotLoaded, 0);
  return *unit;
}

Unit& LookUpCommandUnit(int32_t window_id, int32_t unit_id) {
  const LoadedWindow* window = FindLoadedWindow(window_id);
  Unit* unit = window ? window->FindUnit(unit_id) : nullptr;
  if (!unit) rt::ReportFatalErrorUtf8(rt::message::UnitNotLoaded, 0);
  return *unit;
}

bool AnyWindowAlive() {
  for (const auto& [id, window] : Windows()) {
    if (window->handle) return true;
  }
  return false;
}

void CloseAllWindows() {
  // Posted, as the user's close is: the window goes when the loop (or a
  // pending-events pump) takes the close, never from inside a control that
  // is still handling a message of its own.
  for (const auto& [id, window] : Windows()) {
    if (window->handle) PostMessageW(window->handle, WM_CLOSE, 0, 0);
  }
}

void DestroyAllWindows() {
  for (const auto& [id, window] : Windows()) {
    if (window->handle) DestroyWindow(window->handle);
  }
}

void UnloadAllWindows() {
  Windows().clear();
}

void SetLastWindowGoneCallback(void (*callback)()) {
  last_window_gone = callback;
}

void DispatchEvent(int32_t window_id, int32_t unit_id, int32_t event) {
  if (rt::EventBlockCount() > 0) return;
  const LoadedWindow* window = FindLoadedWindow(window_id);
  if (!window) rt::ReportFatalErrorUtf8(rt::message::EventWindowUnknown, 0);
  if (unit_id != kWindowItself && !window->FindUnit(unit_id)) {
    rt::ReportFatalErrorUtf8(rt::message::EventUnitUnknown, 0);
  }
  RunBoundHandler(*window->form, unit_id, event);
}

}  // namespace ui
