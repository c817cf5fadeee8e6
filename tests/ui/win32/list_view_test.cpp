// The list operations over the system's list view (defaults, out-of-range
// quiet, long texts), calls from other threads as messages to the window
// thread, and the row-focus event rule with the list's own mouse and keys.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "tests/support/gbk_literals.h"
#include "tests/ui/win32/test_window.h"
#include "ui/list_commands.h"
#include "ui/unit_actions.h"
#include "ui/unit_properties.h"
#include "ui/win32/message_loop.h"

namespace ui_test {
namespace {

using ui::GetCellText;
using ui::GetRowCount;
using ui::InsertRow;
using ui::SetCellText;

class ListViewTest : public TestWindow {
 protected:
  HWND list() const { return control(kList); }
  void AddRows(int count) {
    for (int row = 0; row < count; ++row) {
      InsertRow(kList, {}, test::Gbk("60000" + std::to_string(row)));
    }
  }
  // Presses and releases the left button over a cell, as the mouse would.
  void ClickCell(int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_LABEL;
    SendMessageW(list(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    const LPARAM middle = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageW(list(), WM_LBUTTONUP, 0, middle);
    DrainMessages();
  }
  void PressKey(WPARAM key) {
    SendMessageW(list(), WM_KEYDOWN, key, 1);
    SendMessageW(list(), WM_KEYUP, key, 0xC0000001);
    DrainMessages();
  }
};

TEST_F(ListViewTest, ReportStyleListWithItsColumnsTitlesAndWidths) {
  const struct {
    const wchar_t* title;
    int width;
  } columns[] = {{L"代码", 50}, {L"名称", 60}, {L"现价", 50}};
  for (int index = 0; index < 3; ++index) {
    wchar_t title[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list(), LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(title, columns[index].title);
    EXPECT_EQ(column.cx, columns[index].width);
  }
  const LONG style = GetWindowLongW(list(), GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_NOSORTHEADER);
  EXPECT_FALSE(style & LVS_SHOWSELALWAYS) << "the selection hides without the focus";
  const auto extended =
      static_cast<DWORD>(SendMessageW(list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  for (DWORD flag : {LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES, LVS_EX_FLATSB, LVS_EX_LABELTIP}) {
    EXPECT_EQ(extended & flag, flag) << std::hex << flag;
  }
  EXPECT_EQ(SendMessageW(list(), LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(list(), LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));
}

TEST_F(ListViewTest, InsertRowWithEverythingLeftOutAppendsEmptyRows) {
  EXPECT_EQ(InsertRow(kList), 0);
  EXPECT_EQ(InsertRow(kList), 1);
  EXPECT_EQ(InsertRow(kList), 2);
  EXPECT_EQ(GetRowCount(kList), 3);
  EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), 3) << "the control holds the rows";
  for (int column = 0; column < 3; ++column) EXPECT_TRUE(GetCellText(kList, 2, column).empty());
}

TEST_F(ListViewTest, InsertRowPutsTextInColumnZeroAtTheGivenIndex) {
  InsertRow(kList, {}, "a");
  InsertRow(kList, {}, "b");
  EXPECT_EQ(InsertRow(kList, 0, "first"), 0);
  EXPECT_EQ(InsertRow(kList, -5, "last"), 3);
  EXPECT_EQ(InsertRow(kList, 99, "beyond"), 4);
  EXPECT_EQ(GetCellText(kList, 0).view(), "first");
  EXPECT_EQ(GetCellText(kList, 1).view(), "a");
  EXPECT_EQ(GetCellText(kList, 3).view(), "last");
  EXPECT_EQ(GetCellText(kList, 4).view(), "beyond");
}

TEST_F(ListViewTest, SetCellTextDefaultsToColumnZeroAndTheEmptyText) {
  AddRows(1);
  SetCellText(kList, 0, 2, test::Gbk("平安银行"));
  EXPECT_EQ(GetCellText(kList, 0, 2).view(), test::Gbk("平安银行"));
  SetCellText(kList, 0, {}, "code");
  EXPECT_EQ(GetCellText(kList, 0).view(), "code");
  SetCellText(kList, 0, 2);
  EXPECT_TRUE(GetCellText(kList, 0, 2).empty());
}

TEST_F(ListViewTest, MissingRowsAndColumnsAreQuiet) {
  AddRows(2);
  SetCellText(kList, 2, 0, "x");
  SetCellText(kList, -1, 0, "x");
  SetCellText(kList, 0, 3, "x");
  SetCellText(kList, 0, -1, "x");
  EXPECT_EQ(GetRowCount(kList), 2);
  EXPECT_EQ(GetCellText(kList, 0).view(), test::Gbk("600000"));
  EXPECT_EQ(GetCellText(kList, -1).get(), nullptr);
  EXPECT_EQ(GetCellText(kList, 2).get(), nullptr);
  EXPECT_EQ(GetCellText(kList, 0, 3).get(), nullptr);
}

TEST_F(ListViewTest, CellTextsLongerThanTheFirstBufferComeBackWhole) {
  AddRows(1);
  for (size_t characters : {510, 511, 512, 600, 5000}) {
    std::string text;
    for (size_t i = 0; i < characters; ++i) text += i % 2 ? test::Gbk("量") : "7";
    SetCellText(kList, 0, 1, text);
    EXPECT_EQ(GetCellText(kList, 0, 1).view(), text) << characters << " characters";
  }
}

TEST_F(ListViewTest, OperationsOnAListWhoseWindowIsGoneAreQuiet) {
  AddRows(2);
  DestroyWindow(window());
  EXPECT_EQ(InsertRow(kList), -1);
  EXPECT_EQ(GetRowCount(kList), 0);
  EXPECT_EQ(GetCellText(kList, 0).get(), nullptr);
  SetCellText(kList, 0, 0, "x");
}

// --- the row-focus event ---

TEST_F(ListViewTest, ClickingAnotherRowRaisesTheEventButNotTheFocusedOne) {
  AddRows(3);
  ClickCell(0, 0);
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(events.first_selected_at_focus, 0) << "the handler finds its row selected";
  ClickCell(0, 0);
  EXPECT_EQ(events.row_focused, 1) << "the row already had the focus";
  ClickCell(0, 2);
  EXPECT_EQ(events.row_focused, 1) << "another column of the same row";
  ClickCell(2, 1);
  EXPECT_EQ(events.row_focused, 2);
  EXPECT_EQ(events.first_selected_at_focus, 2);
}

TEST_F(ListViewTest, ArrowKeysRaiseOneEventPerRowReached) {
  AddRows(3);
  ClickCell(0, 0);
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);
  EXPECT_EQ(events.row_focused, 3);
  EXPECT_EQ(events.first_selected_at_focus, 2);
  PressKey(VK_DOWN);  // already on the last row
  EXPECT_EQ(events.row_focused, 3);
  PressKey(VK_UP);
  EXPECT_EQ(events.row_focused, 4);
  EXPECT_EQ(events.first_selected_at_focus, 1);
}

TEST_F(ListViewTest, FocusingARowFromTheProgramIsAClickOnIt) {
  AddRows(3);
  ui::FocusRow(kList, 1);
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(events.first_selected_at_focus, 1);
  EXPECT_EQ(GetFocus(), list());
  ui::FocusRow(kList, 1);
  EXPECT_EQ(events.row_focused, 1);
}

// --- calls from other threads ---

// A worker's operations are messages the window thread carries out: the
// worker waits until the window thread looks at its messages, whatever
// thread that is busy with meanwhile.
TEST_F(ListViewTest, AWorkerWaitsForTheWindowThreadAndProceedsWhileItPumps) {
  std::atomic<bool> calling = false, done = false;
  int32_t row = -2;
  std::string read_back;
  int32_t count = -1;
  DWORD inserted_on = 0;
  std::thread worker([&] {
    calling = true;
    row = InsertRow(kList);
    inserted_on = GetWindowThreadProcessId(list(), nullptr);
    SetCellText(kList, row, 1, test::Gbk("平安银行"));
    read_back = std::string(GetCellText(kList, row, 1).view());
    count = GetRowCount(kList);
    done = true;
  });
  while (!calling) std::this_thread::yield();
  // Whatever the worker does now, its call cannot have run: only this thread
  // carries it out.
  EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_FALSE(done);

  while (!done) rt::ProcessPendingEvents();
  worker.join();
  EXPECT_EQ(inserted_on, GetCurrentThreadId());
  EXPECT_EQ(row, 0);
  EXPECT_EQ(read_back, test::Gbk("平安银行"));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), 1);
}

// Four workers, each writing its own row and reading back as it goes: every
// read sees the worker's own latest write.
TEST_F(ListViewTest, EachWorkersReadsSeeItsWrites) {
  constexpr int kWorkers = 4, kWrites = 100;
  AddRows(kWorkers);
  std::atomic<int> finished = 0;
  std::vector<int> stale_reads(kWorkers, 0);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < kWrites; ++i) {
        SetCellText(kList, w, 1, std::to_string(i));
        if (GetCellText(kList, w, 1).view() != std::to_string(i)) ++stale_reads[w];
      }
      ++finished;
    });
  }
  while (finished < kWorkers) rt::ProcessPendingEvents();
  for (std::thread& worker : workers) worker.join();
  for (int w = 0; w < kWorkers; ++w) {
    EXPECT_EQ(stale_reads[w], 0) << w;
    EXPECT_EQ(GetCellText(kList, w, 1).view(), std::to_string(kWrites - 1)) << w;
  }
}

// A command's unit is looked up by id; a window that was never loaded is the
// same failure as a unit the window lacks.
TEST(ListViewDeathTest, AListInAWindowNeverLoadedIsFatal) {
  EXPECT_EXIT(
      {
        rt::SetFatalErrorPresenter(nullptr);
        GetRowCount({4714, 4, ui::unit_type::ListView});
      },
      testing::ExitedWithCode(-1), "指定窗口或窗口组件不存在或尚未载入");
}

}  // namespace
}  // namespace ui_test
