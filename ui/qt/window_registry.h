// The runtime's window tables: form descriptions registered at start-up, the
// windows loaded from them with their units, and event dispatch by window,
// unit and event number. Everything here runs on the window thread.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/event_dispatch.h"
#include "ui/form.h"
#include "ui/form_loader.h"
#include "ui/form_registry.h"
#include "ui/qt/unit.h"

namespace ui {

struct LoadedWindow {
  LoadedWindow() = default;
  LoadedWindow(const LoadedWindow&) = delete;
  LoadedWindow& operator=(const LoadedWindow&) = delete;
  ~LoadedWindow();

  const FormDescription* form = nullptr;
  QPointer<QWidget> widget;
  bool alive = false;  // cleared when the window widget is destroyed
  QMetaObject::Connection gone_connection;
  std::vector<std::unique_ptr<Unit>> units;

  Unit* FindUnit(int32_t unit_id) const;
};

// The loaded window of this id, also after its widget is gone; null when the
// id was never loaded.
LoadedWindow* FindLoadedWindow(int32_t window_id);
// Records a window built from `form` (replacing an earlier one of the same id).
LoadedWindow& AddLoadedWindow(const FormDescription& form);
// Gives the record its top-level widget and watches for the widget's end.
void AttachWindowWidget(LoadedWindow& window, QWidget* widget);
// The unit of a loaded window. Fatal when the window was never loaded
// ("未载入欲访问窗口组件所在的窗口") or has no such unit.
Unit& LookUpUnit(int32_t window_id, int32_t unit_id);
// The unit named in a library command's argument. Fatal when the window was
// never loaded or has no such unit ("指定窗口或窗口组件不存在或尚未载入").
Unit& LookUpCommandUnit(int32_t window_id, int32_t unit_id);

// Whether any loaded window still has its widget.
bool AnyWindowAlive();
// Forgets every loaded window, destroying those that still exist (tests).
void UnloadAllWindows();

// Called once the last loaded window is gone (the message loop ends there).
void SetLastWindowGoneCallback(void (*callback)());

// Runs the handler bound to (unit, event) of the window, if any. Nothing is
// dispatched while a fatal error is being reported.
void DispatchEvent(int32_t window_id, int32_t unit_id, int32_t event);

}  // namespace ui
