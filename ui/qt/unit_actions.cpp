#include "ui/unit_actions.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QPixmap>

#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/window_registry.h"

namespace ui {

void ClickButton(const UnitRef& button) {
  if (auto* widget =
          qobject_cast<QAbstractButton*>(LookUpCommandUnit(button.window, button.unit).widget())) {
    widget->click();
  }
}

void FocusRow(const UnitRef& list, int32_t row) {
  auto* view = dynamic_cast<ListViewWidget*>(LookUpCommandUnit(list.window, list.unit).widget());
  if (!view) return;
  view->setFocus();
  // Selected first and then made current, as a click does, so the handler
  // finds the row selected.
  const QModelIndex index = view->model()->index(row, 0);
  view->selectionModel()->select(index,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
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
  if (!window || !window->widget) return false;
  return window->widget->grab().save(QString::fromStdString(png_path), "PNG");
}

}  // namespace ui
