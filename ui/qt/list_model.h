// The rows of a report-style list: GBK cell texts as the runtime wrote them,
// converted for display only for the rows on screen, so a list of 100,000
// rows or a cell of megabytes costs no more than its bytes.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class ListModel : public QAbstractTableModel {
 public:
  // Display shows at most this many bytes of a cell; the view elides them further.
  static constexpr size_t kShownBytes = 4096;

  explicit ListModel(std::vector<QString> titles, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Inserts an empty row holding `first_cell` in column 0 at `index`; an index
  // below 0 or beyond the last row appends. Returns the new row's index.
  int InsertRow(int index, std::string_view first_cell);
  // False (and nothing changes) for a row or column that does not exist.
  bool SetCell(int row, int column, std::string_view text);
  // Null for a row or column that does not exist.
  const std::string* Cell(int row, int column) const;
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return static_cast<int>(titles_.size()); }

 private:
  std::vector<QString> titles_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace ui
