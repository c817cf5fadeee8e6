// Loading windows from form descriptions, event dispatch, and the message
// loop with its idle callbacks.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <new>
#include <vector>

#include <QWindow>
#include "runtime/fatal_error.h"

#include "tests/ui/qt/test_window.h"
#include "ui/form_loader.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/message_loop.h"
#include "ui/qt/window_registry.h"

namespace ui_test {
namespace {

using FormLoaderTest = TestWindow;

// The form's place and size are the outer frame's; the offscreen platform
// frames its windows as a window manager would.
TEST_F(FormLoaderTest, WindowHasItsPlaceSizeAndCaption) {
  const QMargins frame = window()->windowHandle()->frameMargins();
  ASSERT_FALSE(frame.isNull()) << "the platform draws no frame";
  EXPECT_EQ(window()->frameGeometry(), QRect(20, 30, 420, 400));
  EXPECT_EQ(window()->size(),
            QSize(420 - frame.left() - frame.right(), 400 - frame.top() - frame.bottom()));
  EXPECT_EQ(window()->windowTitle(), QString::fromUtf8("测试窗口"));
  EXPECT_TRUE(window()->isVisible());
}

TEST_F(FormLoaderTest, UnitsSitAtTheirPlacesUnderTheirParents) {
  struct Expected {
    ui::UnitRef unit;
    QWidget* parent;
    QRect geometry;
  };
  QWidget* group = widget(kGroup);
  const Expected expected[] = {
      {kButton, window(), {5, 5, 80, 24}},    {kEdit, window(), {5, 35, 80, 24}},
      {kGroup, window(), {100, 5, 300, 280}}, {kList, group, {10, 20, 280, 200}},
      {kLabel, group, {10, 230, 100, 20}},    {kBox, window(), {5, 300, 120, 80}},
      {kObject, group, {200, 230, 26, 26}},
  };
  for (const Expected& unit : expected) {
    SCOPED_TRACE(unit.unit.unit);
    ASSERT_NE(widget(unit.unit), nullptr);
    EXPECT_EQ(widget(unit.unit)->parentWidget(), unit.parent);
    EXPECT_EQ(widget(unit.unit)->geometry(), unit.geometry);
  }
}

TEST_F(FormLoaderTest, UnitsShowTheirInitialTexts) {
  EXPECT_EQ(widget_as<QPushButton>(kButton)->text(), QString::fromUtf8("按钮"));
  EXPECT_EQ(widget_as<QLineEdit>(kEdit)->text(), QString::fromUtf8("编辑"));
  EXPECT_EQ(widget_as<QGroupBox>(kGroup)->title(), QString::fromUtf8("组"));
  EXPECT_EQ(widget_as<QLabel>(kLabel)->text(), QString::fromUtf8("标签"));
}

TEST_F(FormLoaderTest, CreationEventIsRaisedOnceWhileLoading) {
  EXPECT_EQ(events.created, 1);
  QTest::qWait(10);
  EXPECT_EQ(events.created, 1);
}

TEST_F(FormLoaderTest, ButtonClickReachesItsHandler) {
  QTest::mouseClick(widget(kButton), Qt::LeftButton);
  QTest::mouseClick(widget(kButton), Qt::LeftButton);
  EXPECT_EQ(events.clicked, 2);
}

TEST_F(FormLoaderTest, NoEventReachesHandlersWhileAnErrorIsReported) {
  rt::BlockEvents();
  QTest::mouseClick(widget(kButton), Qt::LeftButton);
  rt::UnblockEvents();
  EXPECT_EQ(events.clicked, 0);
  QTest::mouseClick(widget(kButton), Qt::LeftButton);
  EXPECT_EQ(events.clicked, 1);
}

TEST(FormLoaderFailure, FormsThatCannotBeBuiltAreRefused) {
  EXPECT_FALSE(ui::LoadWindow(4711));  // never registered

  ui::FormDescription later_parent = TestForm();
  later_parent.id = 902;
  later_parent.units[0].parent = 3;  // the group box comes after the button
  ui::RegisterForm(later_parent);
  EXPECT_FALSE(ui::LoadWindow(902));

  ui::FormDescription unknown_type = TestForm();
  unknown_type.id = 903;
  unknown_type.units[1].type = 0x00030007;
  ui::RegisterForm(unknown_type);
  EXPECT_FALSE(ui::LoadWindow(903));
  EXPECT_EQ(ui::FindLoadedWindow(902), nullptr);
  EXPECT_EQ(ui::FindLoadedWindow(903), nullptr);
}

TEST(FormLoaderDeathTest, StartWindowThatCannotBeLoadedIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ui::LoadStartWindow(4712), testing::ExitedWithCode(255), "载入启动窗口失败");
}

// --- message loop and idle callbacks ---

std::vector<int> idle_visits;
void RecordVisit(void* parameter) {
  idle_visits.push_back(*static_cast<int*>(parameter));
}

TEST(IdleCallbacks, OnePerWindowVisitedLastToFirstAndDroppedWithTheirWindow) {
  idle_visits.clear();
  auto first = std::make_unique<QWidget>();
  auto second = std::make_unique<QWidget>();
  int one = 1, two = 2, other = 3;
  EXPECT_TRUE(ui::AddIdleCallback(first.get(), RecordVisit, &one));
  EXPECT_TRUE(ui::AddIdleCallback(second.get(), RecordVisit, &two));
  EXPECT_FALSE(ui::AddIdleCallback(first.get(), RecordVisit, &other));
  EXPECT_EQ(ui::IdleCallbackCount(), 2);

  ui::RunIdlePass();
  EXPECT_EQ(idle_visits, (std::vector<int>{2, 1}));

  second.reset();
  idle_visits.clear();
  ui::RunIdlePass();
  EXPECT_EQ(idle_visits, (std::vector<int>{1}));
  EXPECT_EQ(ui::IdleCallbackCount(), 1);

  ui::RemoveIdleCallback(first.get());
  EXPECT_EQ(ui::IdleCallbackCount(), 0);
}

TEST(IdleCallbacks, ANewWindowAtAGoneWindowsAddressCanRegister) {
  idle_visits.clear();
  // The allocator hands a freed window's memory to the next one; the stale
  // entry must not count as that new window's registration.
  alignas(QWidget) unsigned char storage[sizeof(QWidget)];
  auto* gone = new (storage) QWidget;
  int old_value = 1, new_value = 2;
  ASSERT_TRUE(ui::AddIdleCallback(gone, RecordVisit, &old_value));
  gone->~QWidget();
  auto* reborn = new (storage) QWidget;
  EXPECT_TRUE(ui::AddIdleCallback(reborn, RecordVisit, &new_value));
  ui::RunIdlePass();
  EXPECT_EQ(idle_visits, (std::vector<int>{2}));
  EXPECT_EQ(ui::IdleCallbackCount(), 1);
  ui::RemoveIdleCallback(reborn);
  EXPECT_EQ(ui::IdleCallbackCount(), 0);
  reborn->~QWidget();
}

TEST(MessageLoop, ReturnsAtOnceWhenNoWindowIsLoaded) {
  ui::UnloadAllWindows();
  ui::RunMessageLoop();  // would never return if it waited for events
  SUCCEED();
}

void CloseFromIdle(void* window) {
  static_cast<QWidget*>(window)->close();
}

TEST_F(FormLoaderTest, LoopRunsIdlePassesAndEndsWithTheLastWindow) {
  QPointer<QWidget> shown = window();
  ASSERT_TRUE(ui::AddIdleCallback(shown, CloseFromIdle, shown.data()));
  ui::RunMessageLoop();
  EXPECT_TRUE(shown.isNull());
  EXPECT_FALSE(ui::AnyWindowAlive());
  ui::RunIdlePass();
  EXPECT_EQ(ui::IdleCallbackCount(), 0) << "the closed window's entry is dropped";
}

TEST_F(FormLoaderTest, LoopEndsWhenTheWindowIsClosed) {
  QPointer<QWidget> shown = window();
  QTimer::singleShot(20, shown, [shown] { shown->close(); });
  ui::RunMessageLoop();
  EXPECT_TRUE(shown.isNull());
}

}  // namespace
}  // namespace ui_test
