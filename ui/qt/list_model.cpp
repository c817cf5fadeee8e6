#include "ui/qt/list_model.h"

#include "ui/qt/gbk_qt.h"

namespace ui {

ListModel::ListModel(std::vector<QString> titles, QObject* parent)
    : QAbstractTableModel(parent), titles_(std::move(titles)) {
  // A list always has column 0, where a row's own text lives.
  if (titles_.empty()) titles_.emplace_back();
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole) return {};
  const std::string* cell = Cell(index.row(), index.column());
  if (!cell) return {};
  return GbkToQString(GbkPrefix(*cell, kShownBytes));
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= ColumnCount()) return {};
  return titles_[static_cast<size_t>(section)];
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int ListModel::InsertRow(int index, std::string_view first_cell) {
  const int row = index < 0 || index > RowCount() ? RowCount() : index;
  beginInsertRows({}, row, row);
  std::vector<std::string> cells(static_cast<size_t>(ColumnCount()));
  cells[0] = std::string(first_cell);
  rows_.insert(rows_.begin() + row, std::move(cells));
  endInsertRows();
  return row;
}

bool ListModel::SetCell(int row, int column, std::string_view text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
  rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = std::string(text);
  const QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole});
  return true;
}

const std::string* ListModel::Cell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return nullptr;
  return &rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

}  // namespace ui
