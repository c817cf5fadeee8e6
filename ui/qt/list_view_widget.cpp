#include "ui/qt/list_view_widget.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QToolTip>
#include <utility>

namespace ui {

bool CellDelegate::TextIsCut(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem item(option);
  initStyleOption(&item, index);
  if (item.text.isEmpty()) return false;
  const QWidget* widget = item.widget;
  const QStyle* style = widget ? widget->style() : QApplication::style();
  const QRect text_rect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
  // The style keeps a margin on each side of the text inside its rectangle.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  return item.fontMetrics.horizontalAdvance(item.text) > text_rect.width() - 2 * margin;
}

bool CellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event->type() != QEvent::ToolTip) {
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  }
  if (index.isValid() && TextIsCut(option, index)) {
    QString tip = index.data(Qt::DisplayRole).toString();
    if (tip.size() > kToolTipChars) tip = tip.left(kToolTipChars) + QChar(0x2026);
    QToolTip::showText(event->globalPos(), tip, view, option.rect);
  } else {
    QToolTip::hideText();
  }
  return true;
}

ListViewWidget::ListViewWidget(ListModel* model, const std::vector<int>& column_widths,
                               QWidget* parent)
    : QTableView(parent) {
  setModel(model);
  setItemDelegate(&delegate_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setShowGrid(true);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setTabKeyNavigation(false);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);

  // One fixed-height line per row keeps scrolling a long list cheap.
  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);
  QHeaderView* columns = horizontalHeader();
  columns->setSectionsClickable(false);
  columns->setSortIndicatorShown(false);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (size_t column = 0; column < column_widths.size(); ++column) {
    setColumnWidth(static_cast<int>(column), column_widths[column]);
  }

  // Black on white; without the focus the selection looks like any other row.
  // Every colour of the rows is the list's own, so a palette set on a parent
  // (a group box, a theme) cannot recolour it; the selected row's white text
  // on its highlight contrasts well above the usual 4.5 : 1 for text.
  QPalette colours = palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, Qt::white);
    colours.setColor(group, QPalette::AlternateBase, Qt::white);
    colours.setColor(group, QPalette::Text, Qt::black);
    colours.setColor(group, QPalette::Highlight, kSelectedRowColour);
    colours.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  setPalette(colours);

  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) {
            if (in_focus_in_ || !current.isValid()) return;
            RowBecameCurrent(current.row());
          });
}

void ListViewWidget::RowBecameCurrent(int row) {
  if (input_depth_ > 0) {
    pending_row_ = row;
  } else if (row_focused_) {
    row_focused_(row);
  }
}

template <class Handle>
bool ListViewWidget::Deferring(Handle handle) {
  ++input_depth_;
  const bool handled = handle();
  if (--input_depth_ == 0 && pending_row_ >= 0) {
    const int row = std::exchange(pending_row_, -1);
    if (row_focused_) row_focused_(row);
  }
  return handled;
}

bool ListViewWidget::event(QEvent* event) {
  return Deferring([&] { return QTableView::event(event); });
}

bool ListViewWidget::viewportEvent(QEvent* event) {
  return Deferring([&] { return QTableView::viewportEvent(event); });
}

void ListViewWidget::SetRowFocusedHandler(std::function<void(int row)> handler) {
  row_focused_ = std::move(handler);
}

int ListViewWidget::FirstSelectedRow() const {
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

bool ListViewWidget::CellTextIsCut(int row, int column) {
  const QModelIndex index = model()->index(row, column);
  if (!index.isValid()) return false;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  return delegate_.TextIsCut(option, index);
}

void ListViewWidget::mouseMoveEvent(QMouseEvent* event) {
  // The table view would drag the selection, and with it the focus, through
  // every row crossed, raising the row event for each. Only a press moves the
  // focus; moves without a button still reach the view for hovering.
  if (event->buttons() != Qt::NoButton) {
    event->accept();
    return;
  }
  QTableView::mouseMoveEvent(event);
}

void ListViewWidget::focusInEvent(QFocusEvent* event) {
  // Gaining the keyboard focus does not focus a row: the first row gets it
  // from an arrow key or a click, and only then is the change reported.
  const bool had_current = currentIndex().isValid();
  in_focus_in_ = true;
  QTableView::focusInEvent(event);
  if (!had_current && currentIndex().isValid()) selectionModel()->clearCurrentIndex();
  in_focus_in_ = false;
}

}  // namespace ui
