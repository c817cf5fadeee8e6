#include "ui/qt/list_view_unit.h"

#include "ui/qt/gbk_qt.h"

namespace ui {
namespace {

std::vector<QString> ColumnTitles(const FormUnit& form) {
  std::vector<QString> titles;
  for (const ListColumn& column : form.columns) titles.push_back(LiteralToQString(column.title));
  return titles;
}

}  // namespace

ListViewUnit::ListViewUnit(int32_t window_id, const FormUnit& form)
    : Unit(window_id, form), model_(std::make_unique<ListModel>(ColumnTitles(form))) {}

ListViewUnit::~ListViewUnit() {
  // The view must not outlive the model it shows.
  delete widget();
}

QWidget* ListViewUnit::CreateWidget(QWidget* parent) {
  std::vector<int> widths;
  for (const ListColumn& column : form().columns) widths.push_back(column.width);
  auto* view = new ListViewWidget(model_.get(), widths, parent);
  view->SetRowFocusedHandler([this](int) { RaiseEvent(event::RowFocused); });
  return view;
}

uint64_t ListViewUnit::ReadOwn(int32_t index, int32_t) {
  if (index == property::FirstSelectedRow - property::FirstOwn) {
    return IntValue(view()->FirstSelectedRow());
  }
  return 0;
}

int32_t ListViewUnit::InsertRow(int32_t index, std::string_view text) {
  if (!widget()) return -1;
  return model_->InsertRow(index, text);
}

void ListViewUnit::SetCellText(int32_t row, int32_t column, std::string_view text) {
  if (widget()) model_->SetCell(row, column, text);
}

std::string ListViewUnit::CellText(int32_t row, int32_t column) const {
  const std::string* cell = widget() ? model_->Cell(row, column) : nullptr;
  return cell ? *cell : std::string();
}

int32_t ListViewUnit::RowCount() const {
  return widget() ? model_->RowCount() : 0;
}

}  // namespace ui
