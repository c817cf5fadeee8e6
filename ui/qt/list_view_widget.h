// The report-style list: a table view over a ListModel with one line per row,
// column headers, single whole-row selection, grid lines, black on white, a
// thin sunken border, no sorting, the selection hidden while the list has no
// focus, elided cells with tool tips for the cut ones, and a notification
// each time a row's focus goes from off to on. A press focuses the row under
// it; moving the mouse with a button held changes nothing.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "ui/qt/list_model.h"

namespace ui {

// Elides cell texts and shows a tool tip only for cells whose text is cut.
class CellDelegate : public QStyledItemDelegate {
 public:
  static constexpr int kToolTipChars = 1024;

  using QStyledItemDelegate::QStyledItemDelegate;
  bool TextIsCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
};

class ListViewWidget : public QTableView {
 public:
  // The selected row's background while the list has the focus (its text is white).
  static constexpr QColor kSelectedRowColour{0, 84, 166};

  ListViewWidget(ListModel* model, const std::vector<int>& column_widths, QWidget* parent);

  // Called with the row whose focus went from off to on: not for a click on
  // the row that already has the focus, nor for another column of it, nor
  // when the focus leaves every row.
  void SetRowFocusedHandler(std::function<void(int row)> handler);
  // The lowest selected row, or -1.
  int FirstSelectedRow() const;
  // Whether the cell's text does not fit its column (it then has a tool tip).
  bool CellTextIsCut(int row, int column);

 protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  // While the view handles an input event the focus moves before the
  // selection follows it; the notification waits until both are done, so a
  // handler reading the selected row sees the new one.
  template <class Handle>
  bool Deferring(Handle handle);
  void RowBecameCurrent(int row);

  std::function<void(int row)> row_focused_;
  bool in_focus_in_ = false;
  int input_depth_ = 0;
  int pending_row_ = -1;
  CellDelegate delegate_;  // not a child: the view does not own its delegate
};

}  // namespace ui
