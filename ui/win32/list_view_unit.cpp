#include "ui/win32/list_view_unit.h"

#include <algorithm>

#include "ui/win32/gbk_wide.h"
#include "ui/win32/window_class.h"

namespace ui {
namespace {

// Cell texts are asked for into a buffer of this many characters, doubled
// while the text fills it.
constexpr int kFirstCellBuffer = 512;

}  // namespace

HWND ListViewUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  // Without LVS_SHOWSELALWAYS the selection is hidden while the list has no focus.
  HWND list = CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER,
                              left, top, width, height, parent, nullptr, ModuleInstance(), nullptr);
  if (!list) return nullptr;
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB | LVS_EX_LABELTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
  SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
  int position = 0;
  for (const ListColumn& column : form().columns) {
    std::wstring title = LiteralToWide(column.title);
    LVCOLUMNW description{};
    description.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    description.fmt = LVCFMT_LEFT;
    description.cx = column.width;
    description.pszText = title.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, position++, reinterpret_cast<LPARAM>(&description));
  }
  return list;
}

uint64_t ListViewUnit::ReadOwn(int32_t index, int32_t) {
  if (index == property::FirstSelectedRow - property::FirstOwn) {
    return IntValue(FirstSelectedRow());
  }
  return 0;
}

bool ListViewUnit::OnNotify(const NMHDR& header, LRESULT*) {
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  // Only a row whose focus goes from off to on: other state bits, and a row
  // losing the focus, raise nothing.
  if (change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0 &&
      (change.uOldState & LVIS_FOCUSED) == 0 && (change.uNewState & LVIS_FOCUSED) != 0) {
    RaiseEvent(event::RowFocused);
  }
  return false;  // the parent's answer to the notification does not matter
}

int32_t ListViewUnit::InsertRow(int32_t index, std::string_view text) {
  if (!control()) return -1;
  std::wstring wide = GbkToWide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index >= 0 ? index : RowCount();
  item.pszText = wide.data();
  return static_cast<int32_t>(
      SendMessageW(control(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListViewUnit::HasCell(int32_t row, int32_t column) const {
  return control() && row >= 0 && row < RowCount() && column >= 0 &&
         static_cast<size_t>(column) < std::max<size_t>(form().columns.size(), 1);
}

void ListViewUnit::SetCellText(int32_t row, int32_t column, std::string_view text) {
  if (!HasCell(row, column)) return;
  std::wstring wide = GbkToWide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(control(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string ListViewUnit::CellText(int32_t row, int32_t column) const {
  if (!HasCell(row, column)) return {};
  std::wstring buffer;
  for (int size = kFirstCellBuffer;; size *= 2) {
    buffer.assign(static_cast<size_t>(size), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = size;
    const auto length = static_cast<int>(
        SendMessageW(control(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (length < size - 1) {
      buffer.resize(static_cast<size_t>(std::max(length, 0)));
      break;
    }
  }
  return WideToGbk(buffer);
}

int32_t ListViewUnit::RowCount() const {
  return control() ? static_cast<int32_t>(SendMessageW(control(), LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int32_t ListViewUnit::FirstSelectedRow() const {
  if (!control()) return -1;
  return static_cast<int32_t>(
      SendMessageW(control(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

}  // namespace ui
