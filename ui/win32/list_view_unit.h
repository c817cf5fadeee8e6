// The ListView unit over the system's report-style list view
// ("SysListView32"): one line per row with column headers, single whole-row
// selection, grid lines, flat scroll bars, tool tips for cut-off cells, black
// on white, a thin sunken border, no sorting, and the selection hidden while
// the list has no focus. The control holds the rows; its operations are quiet
// about rows and columns that do not exist and about a list whose window is
// gone.
#pragma once

#include <string>
#include <string_view>

#include "ui/win32/unit.h"

namespace ui {

class ListViewUnit : public Unit {
 public:
  using Unit::Unit;

  uint64_t ReadOwn(int32_t index, int32_t member) override;
  bool OnNotify(const NMHDR& header, LRESULT* result) override;

  // Window thread only. The new row's index, or -1 when the control refuses
  // or the list is gone.
  int32_t InsertRow(int32_t index, std::string_view text);
  void SetCellText(int32_t row, int32_t column, std::string_view text);
  // Empty for a missing cell or a list that is gone.
  std::string CellText(int32_t row, int32_t column) const;
  int32_t RowCount() const;
  // The first selected row as the control reports it, or -1.
  int32_t FirstSelectedRow() const;

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;

 private:
  bool HasCell(int32_t row, int32_t column) const;
};

}  // namespace ui
