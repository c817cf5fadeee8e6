// The ListView unit: a report-style list whose rows outlive nothing but the
// window. Its operations are quiet about rows and columns that do not exist
// and about a list whose window is gone.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/qt/list_model.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/unit.h"

namespace ui {

class ListViewUnit : public Unit {
 public:
  ListViewUnit(int32_t window_id, const FormUnit& form);
  ~ListViewUnit() override;

  uint64_t ReadOwn(int32_t index, int32_t member) override;

  // Window thread only. Return the new row's index, or -1 when the list is gone.
  int32_t InsertRow(int32_t index, std::string_view text);
  void SetCellText(int32_t row, int32_t column, std::string_view text);
  // Empty for a missing cell or a list that is gone.
  std::string CellText(int32_t row, int32_t column) const;
  int32_t RowCount() const;

  ListViewWidget* view() const { return static_cast<ListViewWidget*>(widget()); }
  ListModel* model() const { return model_.get(); }

 protected:
  QWidget* CreateWidget(QWidget* parent) override;

 private:
  std::unique_ptr<ListModel> model_;
};

}  // namespace ui
