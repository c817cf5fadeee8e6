#include "ui/qt/window_registry.h"

#include <map>

#include "runtime/fatal_error.h"

namespace ui {
namespace {

// The table is touched only on the window thread.
std::map<int32_t, std::unique_ptr<LoadedWindow>>& Windows() {
  static std::map<int32_t, std::unique_ptr<LoadedWindow>> windows;
  return windows;
}

void (*last_window_gone)() = nullptr;

}  // namespace

LoadedWindow::~LoadedWindow() {
  // The window takes its unit widgets with it; the units go afterwards. The
  // record is leaving the tables, so its end is not reported.
  QObject::disconnect(gone_connection);
  delete widget.data();
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
    if (window->alive) return true;
  }
  return false;
}

void CloseAllWindows() {
  for (const auto& [id, window] : Windows()) {
    if (window->widget) window->widget->close();
  }
}

void UnloadAllWindows() {
  Windows().clear();
}

void SetLastWindowGoneCallback(void (*callback)()) {
  last_window_gone = callback;
}

void AttachWindowWidget(LoadedWindow& window, QWidget* widget) {
  window.widget = widget;
  window.alive = true;
  window.gone_connection = QObject::connect(widget, &QObject::destroyed, [&window] {
    window.alive = false;
    if (!AnyWindowAlive() && last_window_gone) last_window_gone();
  });
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
