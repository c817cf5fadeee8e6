// The list operations (defaults, out-of-range quiet, long texts, many rows),
// calls from other threads, and the row-focus event rule.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"
#include "tests/ui/qt/test_window.h"
#include "ui/list_commands.h"
#include "ui/qt/list_view_unit.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"
#include "ui/unit_properties.h"

namespace ui_test {
namespace {

using ui::GetCellText;
using ui::GetRowCount;
using ui::InsertRow;
using ui::SetCellText;

class ListViewTest : public TestWindow {
 protected:
  ui::ListViewWidget* view() const { return widget_as<ui::ListViewWidget>(kList); }
  ui::ListViewUnit& list() const {
    return static_cast<ui::ListViewUnit&>(ui::LookUpUnit(kWindow, kList.unit));
  }
  void AddRows(int count) {
    for (int row = 0; row < count; ++row) {
      InsertRow(kList, {}, test::Gbk("60000" + std::to_string(row)));
    }
  }
  void ClickCell(int row, int column) {
    const QRect cell = view()->visualRect(view()->model()->index(row, column));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cell.center());
  }
};

TEST_F(ListViewTest, ColumnsHaveTheirTitlesAndWidths) {
  const QAbstractItemModel* model = view()->model();
  ASSERT_EQ(model->columnCount(), 3);
  EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("代码"));
  EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("名称"));
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("现价"));
  EXPECT_EQ(view()->columnWidth(0), 50);
  EXPECT_EQ(view()->columnWidth(1), 60);
  EXPECT_EQ(view()->columnWidth(2), 50);
  EXPECT_FALSE(view()->horizontalHeader()->sectionsClickable()) << "no sorting";
  EXPECT_EQ(view()->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(view()->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(ListViewTest, InsertRowWithEverythingLeftOutAppendsEmptyRows) {
  EXPECT_EQ(InsertRow(kList), 0);
  EXPECT_EQ(InsertRow(kList), 1);
  EXPECT_EQ(InsertRow(kList), 2);
  EXPECT_EQ(GetRowCount(kList), 3);
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
  SetCellText(kList, 0, 2, "10.5");
  EXPECT_EQ(GetCellText(kList, 0, 2).view(), "10.5");
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

TEST_F(ListViewTest, TheCommandFrameFormTakesOmittedRecords) {
  rt::ValueRecord args[7];
  args[0] = kList.Record();
  EXPECT_EQ(rt::CallLibraryCommand(4, ui::cmd::InsertRow, args, 7).value, 0u);
  rt::ValueRecord text_args[4] = {
      kList.Record(), rt::ValueRecord::Int(0), {}, rt::ValueRecord::Text("abc")};
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, text_args, 4);
  rt::ValueRecord get_args[3] = {kList.Record(), rt::ValueRecord::Int(0), {}};
  const rt::CommandResult got = rt::CallLibraryCommand(4, ui::cmd::GetCellText, get_args, 3);
  rt::Text text(reinterpret_cast<char*>(static_cast<uintptr_t>(got.value)));
  EXPECT_EQ(text.view(), "abc");
  EXPECT_EQ(got.type, rt::type::None) << "a fixed result type leaves the type code alone";
}

TEST_F(ListViewTest, NumbersOfOtherTypesAreTruncatedTowardZero) {
  AddRows(2);
  rt::ValueRecord args[4] = {kList.Record(), rt::ValueRecord::Double(1.9),
                             rt::ValueRecord::Float(2.7f), rt::ValueRecord::Text("x")};
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, args, 4);
  EXPECT_EQ(GetCellText(kList, 1, 2).view(), "x");
  args[1] = rt::ValueRecord::Double(-0.5);  // row 0, not -1
  args[2] = rt::ValueRecord::Double(1e300);
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, args, 4);
  EXPECT_EQ(GetRowCount(kList), 2);
  args[2] = {};
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, args, 4);
  EXPECT_EQ(GetCellText(kList, 0).view(), "x");
}

// Window commands read numbers as the runtime's commands do: a floating value
// beyond the Int range is INT32_MIN, not the low bits of a wider integer, so
// 2^32 + 1 names no row rather than row 1.
TEST_F(ListViewTest, NumbersBeyondTheIntRangeNameNoRow) {
  AddRows(2);
  rt::ValueRecord args[4] = {kList.Record(), rt::ValueRecord::Double(4294967297.0),
                             rt::ValueRecord::Int(1), rt::ValueRecord::Text("x")};
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, args, 4);
  EXPECT_TRUE(GetCellText(kList, 1, 1).empty());
  args[1] = rt::ValueRecord::Double(-4294967295.0);
  rt::CallLibraryCommand(4, ui::cmd::SetCellText, args, 4);
  EXPECT_TRUE(GetCellText(kList, 1, 1).empty());
}

TEST_F(ListViewTest, LongCellTextsComeBackWholeAndAreShownCut) {
  AddRows(2);
  const std::string over_buffer(600, 'x');
  SetCellText(kList, 0, 1, over_buffer);
  EXPECT_EQ(GetCellText(kList, 0, 1).view(), over_buffer);

  std::string megabytes;
  while (megabytes.size() < 3'000'000) megabytes += test::Gbk("成交量abc");
  SetCellText(kList, 1, 2, megabytes);
  EXPECT_EQ(GetCellText(kList, 1, 2).view(), megabytes);
  const QString shown = view()->model()->index(1, 2).data().toString();
  EXPECT_LE(static_cast<size_t>(shown.size()), ui::ListModel::kShownBytes);
  EXPECT_TRUE(shown.startsWith(QString::fromUtf8("成交量abc")));
  EXPECT_FALSE(view()->grab().isNull());
  EXPECT_TRUE(view()->CellTextIsCut(1, 2));
  EXPECT_TRUE(view()->CellTextIsCut(0, 1));
  SetCellText(kList, 0, 1, "1");
  EXPECT_FALSE(view()->CellTextIsCut(0, 1));
}

TEST_F(ListViewTest, AListOfAHundredThousandRowsStaysUsable) {
  constexpr int kRows = 100'000;
  for (int row = 0; row < kRows; ++row) InsertRow(kList);
  EXPECT_EQ(GetRowCount(kList), kRows);
  SetCellText(kList, kRows - 1, 1, test::Gbk("末行"));
  EXPECT_EQ(GetCellText(kList, kRows - 1, 1).view(), test::Gbk("末行"));
  view()->scrollToBottom();
  QCoreApplication::processEvents();
  ClickCell(kRows - 1, 0);
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(events.first_selected_at_focus, kRows - 1);
  EXPECT_FALSE(view()->grab().isNull());
}

TEST_F(ListViewTest, OperationsOnAListWhoseWindowIsGoneAreQuiet) {
  AddRows(2);
  delete window();
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
  EXPECT_EQ(events.first_selected_at_focus, 0);
  ClickCell(0, 0);
  EXPECT_EQ(events.row_focused, 1) << "the row already had the focus";
  ClickCell(0, 2);
  EXPECT_EQ(events.row_focused, 1) << "another column of the same row";
  ClickCell(2, 1);
  EXPECT_EQ(events.row_focused, 2);
  EXPECT_EQ(events.first_selected_at_focus, 2);
}

// A drag with the button held crosses rows 1 and 2 and ends outside the list;
// only the press moves the focus, so one event is raised and row 0 keeps it.
TEST_F(ListViewTest, DraggingWithTheButtonHeldLeavesTheFocusOnThePressedRow) {
  AddRows(3);
  QWidget* viewport = view()->viewport();
  auto centre = [&](int row) {
    return view()->visualRect(view()->model()->index(row, 1)).center();
  };
  auto send_move = [&](QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
  };
  QTest::mousePress(viewport, Qt::LeftButton, {}, centre(0));
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(view()->currentIndex().row(), 0);
  for (int row : {1, 2}) {
    send_move(centre(row));
    EXPECT_EQ(view()->currentIndex().row(), 0) << "moved over row " << row;
  }
  send_move(QPoint(centre(2).x(), viewport->height() + 30));  // past the last row
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre(2));
  QCoreApplication::processEvents();
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(view()->currentIndex().row(), 0);
  EXPECT_EQ(ui::ReadUnitInt(kList, ui::property::FirstSelectedRow), 0);

  // A fresh press still moves the focus to the row under it.
  QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(2));
  EXPECT_EQ(events.row_focused, 2);
  EXPECT_EQ(events.first_selected_at_focus, 2);
}

TEST_F(ListViewTest, ArrowKeysRaiseOneEventPerRowReached) {
  AddRows(3);
  ClickCell(0, 0);
  QTest::keyClick(view(), Qt::Key_Down);
  QTest::keyClick(view(), Qt::Key_Down);
  EXPECT_EQ(events.row_focused, 3);
  EXPECT_EQ(events.first_selected_at_focus, 2);
  QTest::keyClick(view(), Qt::Key_Down);  // already on the last row
  EXPECT_EQ(events.row_focused, 3);
  QTest::keyClick(view(), Qt::Key_Up);
  EXPECT_EQ(events.row_focused, 4);
  EXPECT_EQ(events.first_selected_at_focus, 1);
}

TEST_F(ListViewTest, GainingTheKeyboardFocusFocusesNoRow) {
  AddRows(2);
  window()->activateWindow();
  view()->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  EXPECT_EQ(events.row_focused, 0);
  QTest::keyClick(view(), Qt::Key_Down);
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_EQ(events.first_selected_at_focus, 0);
}

// While the row handler waits on the network it pumps pending events, and the
// user may close the window then: the list and its window go away under the
// handler, which must leave nothing that touches them afterwards.
void CloseTheWindowAndPump() {
  QWidget* top = ui::FindLoadedWindow(kWindow)->widget;
  QMetaObject::invokeMethod(top, &QWidget::close, Qt::QueuedConnection);
  // The close runs on the first pass, the window's deferred deletion on the next.
  ui::PumpPendingEvents();
  ui::PumpPendingEvents();
  EXPECT_FALSE(ui::FindLoadedWindow(kWindow)->alive) << "gone while the handler still runs";
}

TEST_F(ListViewTest, AClickWhoseHandlerClosesTheWindowLeavesNothingDangling) {
  AddRows(3);
  events.after_row_focused = CloseTheWindowAndPump;
  // The press focuses the row; no release reaches a list that is gone.
  const QRect cell = view()->visualRect(view()->model()->index(1, 0));
  QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, cell.center());
  QCoreApplication::processEvents();
  EXPECT_EQ(events.row_focused, 1);
  EXPECT_FALSE(ui::FindLoadedWindow(kWindow)->alive);
  EXPECT_EQ(GetRowCount(kList), 0) << "the list went with its window";
}

TEST_F(ListViewTest, AKeyWhoseHandlerClosesTheWindowLeavesNothingDangling) {
  AddRows(3);
  ClickCell(0, 0);
  events.after_row_focused = CloseTheWindowAndPump;
  QTest::keyClick(view(), Qt::Key_Down);
  QCoreApplication::processEvents();
  EXPECT_EQ(events.row_focused, 2);
  EXPECT_FALSE(ui::FindLoadedWindow(kWindow)->alive);
}

// --- calls from other threads ---

TEST_F(ListViewTest, AWorkerWaitsForTheWindowThreadAndProceedsWhileItPumps) {
  bool inserted_on_window_thread = false;
  QObject::connect(list().model(), &QAbstractItemModel::rowsInserted,
                   [&] { inserted_on_window_thread = QThread::currentThread() == qApp->thread(); });
  std::atomic<bool> done = false;
  int32_t row = -2;
  std::string read_back;
  int32_t count = -1;
  std::thread worker([&] {
    row = InsertRow(kList);
    SetCellText(kList, row, 1, test::Gbk("平安银行"));
    read_back = std::string(GetCellText(kList, row, 1).view());
    count = GetRowCount(kList);
    done = true;
  });

  // The window thread is busy (not processing events): the worker cannot
  // get its first call through.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done);
  EXPECT_EQ(list().model()->RowCount(), 0);

  // The pending-events pump lets the calls through.
  rt::SetPendingEventsPump(ui::PumpPendingEvents);
  while (!done) rt::ProcessPendingEvents();
  worker.join();
  EXPECT_TRUE(inserted_on_window_thread);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(read_back, test::Gbk("平安银行"));
  EXPECT_EQ(count, 1);
}

TEST_F(ListViewTest, AWorkersWritesDoNotWaitForTheWindowThread) {
  AddRows(1);
  std::atomic<bool> written = false;
  std::thread worker([&] {
    // Each text is freed as soon as its call returns: the posted write keeps
    // a copy of its own.
    for (const char* text : {"first", "second", "last"}) {
      rt::Text own = rt::Text::Copy(text);
      SetCellText(kList, 0, 2, own);
    }
    written = true;
  });
  // The window thread processes nothing meanwhile, and the worker still gets through.
  for (int waited = 0; waited < 2000 && !written; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(written);
  worker.join();
  EXPECT_EQ(*list().model()->Cell(0, 2), "");
  QCoreApplication::processEvents();
  EXPECT_EQ(*list().model()->Cell(0, 2), "last");
}

// A worker that writes a row and then reads the next code, as the refresh
// worker does, wakes the window thread once for all of it: the writes wait
// for the read and go along with it, still ahead of it.
TEST_F(ListViewTest, AWorkersWritesGoToTheWindowThreadWithItsNextRead) {
  AddRows(2);
  struct HandOvers : QObject {
    int taken = 0;
    bool eventFilter(QObject* receiver, QEvent* event) override {
      taken += receiver == qApp && event->type() == QEvent::MetaCall;
      return false;
    }
  } hand_overs;
  qApp->installEventFilter(&hand_overs);
  std::atomic<bool> written = false, done = false;
  std::string read_back;
  std::thread worker([&] {
    SetCellText(kList, 0, 1, "name");
    SetCellText(kList, 0, 2, "price");
    written = true;
    read_back = std::string(GetCellText(kList, 0, 2).view());
    done = true;
  });
  while (!written) std::this_thread::yield();
  while (!done) QCoreApplication::processEvents();
  worker.join();
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&hand_overs);
  EXPECT_EQ(hand_overs.taken, 1);
  EXPECT_EQ(read_back, "price");
  EXPECT_EQ(*list().model()->Cell(0, 1), "name");
}

// Four workers, each writing its own row and reading back as it goes: every
// read sees the worker's own latest write, and each cell takes its values in
// the order the worker wrote them.
TEST_F(ListViewTest, EachWorkersOperationsKeepTheirOrderAndItsReadsSeeItsWrites) {
  constexpr int kWorkers = 4, kWrites = 200;
  AddRows(kWorkers);
  std::vector<std::vector<int>> shown(kWorkers);
  QObject::connect(list().model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& index) {
    if (index.column() == 1) {
      shown[index.row()].push_back(std::stoi(*list().model()->Cell(index.row(), 1)));
    }
  });
  std::atomic<int> finished = 0;
  std::vector<int> stale_reads(kWorkers, 0);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < kWrites; ++i) {
        SetCellText(kList, w, 1, std::to_string(i));
        SetCellText(kList, w, 2, std::to_string(i));
        if (i % 7 == 0 && GetCellText(kList, w, 2).view() != std::to_string(i)) ++stale_reads[w];
        if (i % 13 == 0 && GetRowCount(kList) != kWorkers) ++stale_reads[w];
      }
      ++finished;
    });
  }
  while (finished < kWorkers) QCoreApplication::processEvents();
  for (std::thread& worker : workers) worker.join();
  QCoreApplication::processEvents();
  for (int w = 0; w < kWorkers; ++w) {
    SCOPED_TRACE(w);
    EXPECT_EQ(stale_reads[w], 0);
    ASSERT_EQ(shown[w].size(), static_cast<size_t>(kWrites));
    for (int i = 0; i < kWrites; ++i) EXPECT_EQ(shown[w][i], i);
    EXPECT_EQ(GetCellText(kList, w, 1).view(), std::to_string(kWrites - 1));
  }
}

// A command's unit is looked up by id; a window that was never loaded is the
// same failure as a unit the window lacks.
TEST(ListViewDeathTest, AListInAWindowNeverLoadedIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(GetRowCount({4714, 4, ui::unit_type::ListView}), testing::ExitedWithCode(255),
              "指定窗口或窗口组件不存在或尚未载入");
}

}  // namespace
}  // namespace ui_test
