#include "ui/qt/window_registry.h"

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
  // The window takes its unit widgets with it; the units go afterwards. The
  // record is leaving the tables, so its end is not reported.
  QObject::disconnect(gone_connection);
  delete widget.data();
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

Unit& LookUpUnit(int32_t window_id, int32_t unit_id) {
  return Windows().UnitForProperty(window_id, unit_id);
}

Unit& LookUpCommandUnit(int32_t window_id, int32_t unit_id) {
  return Windows().UnitForCommand(window_id, unit_id);
}

bool AnyWindowAlive() {
  for (const auto& [id, window] : Windows().records()) {
    if (window->alive) return true;
  }
  return false;
}

void CloseAllWindows() {
  for (const auto& [id, window] : Windows().records()) {
    if (window->widget) window->widget->close();
  }
}

void UnloadAllWindows() {
  Windows().Clear();
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
  Windows().Dispatch(window_id, unit_id, event);
}

}  // namespace ui
