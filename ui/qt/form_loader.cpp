#include "ui/form_loader.h"

#include <QApplication>
#include <QWidget>
#include <memory>

#include "runtime/fatal_error.h"
#include "ui/qt/gbk_qt.h"
#include "ui/qt/unit_accessibility.h"
#include "ui/qt/window_frame.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"
#include "ui/qt/window_thread.h"

namespace ui {
namespace {

QWidget* ParentWidget(QWidget* window, const std::vector<std::unique_ptr<Unit>>& built,
                      int32_t parent_id) {
  if (parent_id == kWindowItself) return window;
  for (const auto& unit : built) {
    if (unit->id() == parent_id) return unit->widget();
  }
  return nullptr;
}

bool BuildWindow(int32_t window_id) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  const FormDescription* form = FindForm(window_id);
  if (!form) return false;

  auto window = std::make_unique<QWidget>();
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(LiteralToQString(form->caption));
  // Window is the role screen readers present as a frame; the caption names it.
  SetAccessibleRole(window.get(), QAccessible::Window);
  window->setFont(WindowFont());
  // The position is the frame's top-left corner; the size is the frame's too
  // where a window manager frames the window, else the client area's.
  window->move(form->left, form->top);
  KeepOuterSize(window.get(), QSize(form->width, form->height));

  std::vector<std::unique_ptr<Unit>> units;
  for (const FormUnit& unit_form : form->units) {
    std::unique_ptr<Unit> unit = MakeUnit(window_id, unit_form);
    QWidget* parent = ParentWidget(window.get(), units, unit_form.parent);
    if (!unit || !parent || unit_form.id == kWindowItself) return false;
    unit->Create(parent);
    units.push_back(std::move(unit));
  }

  LoadedWindow& loaded = AddLoadedWindow(*form);
  AttachWindowWidget(loaded, window.release());
  loaded.units = std::move(units);
  DispatchEvent(window_id, kWindowItself, event::WindowCreated);
  // The creation handler may have closed the window already.
  if (loaded.widget) loaded.widget->show();
  return true;
}

}  // namespace

bool LoadWindow(int32_t window_id) {
  return RunOnWindowThread([window_id] { return BuildWindow(window_id); });
}

void LoadStartWindow(int32_t window_id) {
  if (!LoadWindow(window_id)) rt::ReportFatalErrorUtf8(rt::message::LoadStartWindowFailed, 0);
}

}  // namespace ui
