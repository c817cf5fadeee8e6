// Loading windows from form descriptions over Win32 controls, event
// dispatch, and the message loop with its idle callbacks and timed steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "tests/ui/win32/test_window.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/unit_actions.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/window_registry.h"

namespace ui_test {
namespace {

using FormLoaderTest = TestWindow;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

RECT PlaceInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Presses and releases the left button at the middle of `control`.
void Click(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageW(control, WM_LBUTTONUP, 0, middle);
}

// The form's place and size are the frame's, as the window is created.
TEST_F(FormLoaderTest, WindowHasItsPlaceSizeAndCaption) {
  RECT frame;
  GetWindowRect(window(), &frame);
  EXPECT_EQ(frame.left, 20);
  EXPECT_EQ(frame.top, 30);
  EXPECT_EQ(frame.right - frame.left, 420);
  EXPECT_EQ(frame.bottom - frame.top, 400);
  EXPECT_EQ(TextOf(window()), L"测试窗口");
  EXPECT_TRUE(IsWindowVisible(window()));
}

TEST_F(FormLoaderTest, UnitsAreTheSystemsControlsAtTheirPlacesUnderTheirParents) {
  struct Expected {
    ui::UnitRef unit;
    const wchar_t* window_class;
    bool in_group;
    RECT place;
  };
  const Expected expected[] = {
      {kButton, L"Button", false, {5, 5, 85, 29}},
      {kEdit, L"Edit", false, {5, 35, 85, 59}},
      {kGroup, L"Button", false, {100, 5, 400, 285}},
      {kList, L"SysListView32", true, {10, 20, 290, 220}},
      {kLabel, L"Static", true, {10, 230, 110, 250}},
      {kBox, L"QuoteviewCartoonBox", false, {5, 300, 125, 380}},
      {kObject, L"QuoteviewCartoonObject", true, {200, 230, 226, 256}},
  };
  for (const Expected& unit : expected) {
    SCOPED_TRACE(unit.unit.unit);
    HWND handle = control(unit.unit);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(ClassOf(handle), unit.window_class);
    EXPECT_EQ(GetParent(handle), unit.in_group ? control(kGroup) : window());
    const RECT place = PlaceInParent(handle);
    EXPECT_EQ(place.left, unit.place.left);
    EXPECT_EQ(place.top, unit.place.top);
    EXPECT_EQ(place.right, unit.place.right);
    EXPECT_EQ(place.bottom, unit.place.bottom);
    EXPECT_TRUE(IsWindowVisible(handle));
  }
  EXPECT_EQ(GetWindowLongW(control(kGroup), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  EXPECT_EQ(GetWindowLongW(control(kButton), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

// A group box paints its frame and caption only: inside it, where no unit
// lies, the window's background shows.
TEST_F(FormLoaderTest, GroupBoxesShowTheWindowBeneathThem) {
  RedrawWindow(window(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HDC dc = GetDC(control(kGroup));
  const COLORREF inside = GetPixel(dc, 150, 265);
  ReleaseDC(control(kGroup), dc);
  EXPECT_EQ(inside, GetSysColor(COLOR_BTNFACE));
}

TEST_F(FormLoaderTest, UnitsShowTheirInitialTexts) {
  EXPECT_EQ(TextOf(control(kButton)), L"按钮");
  EXPECT_EQ(TextOf(control(kEdit)), L"编辑");
  EXPECT_EQ(TextOf(control(kGroup)), L"组");
  EXPECT_EQ(TextOf(control(kLabel)), L"标签");
}

TEST_F(FormLoaderTest, CreationEventIsRaisedOnceWhileLoading) {
  EXPECT_EQ(events.created, 1);
  DrainMessages();
  EXPECT_EQ(events.created, 1);
}

TEST_F(FormLoaderTest, ButtonClickReachesItsHandler) {
  Click(control(kButton));
  Click(control(kButton));
  EXPECT_EQ(events.clicked, 2);
  ui::ClickButton(kButton);
  EXPECT_EQ(events.clicked, 3);
}

// Tab goes from control to control as in a dialog, into the group box's list
// too, through the loop's pump.
TEST_F(FormLoaderTest, TabMovesTheKeyboardFocusThroughTheControls) {
  SetFocus(control(kButton));
  std::vector<HWND> reached;
  for (int press = 0; press < 3; ++press) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    rt::ProcessPendingEvents();
    reached.push_back(GetFocus());
  }
  EXPECT_EQ(reached, (std::vector<HWND>{control(kEdit), control(kList), control(kButton)}));
}

TEST_F(FormLoaderTest, NoEventReachesHandlersWhileAnErrorIsReported) {
  rt::BlockEvents();
  Click(control(kButton));
  rt::UnblockEvents();
  EXPECT_EQ(events.clicked, 0);
  Click(control(kButton));
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
  EXPECT_FALSE(ui::AnyWindowAlive());
}

TEST(FormLoaderDeathTest, StartWindowThatCannotBeLoadedIsFatal) {
  EXPECT_EXIT(
      {
        rt::SetFatalErrorPresenter(nullptr);  // the text on standard error, no box to close
        ui::LoadStartWindow(4712);
      },
      testing::ExitedWithCode(-1), "载入启动窗口失败");
}

// --- message loop, idle callbacks and timed steps ---

std::vector<int> idle_visits;
void RecordVisit(void* parameter) {
  idle_visits.push_back(*static_cast<int*>(parameter));
}

HWND PlainWindow() {
  return CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                         nullptr);
}

TEST(IdleCallbacks, OnePerWindowVisitedLastToFirstAndDroppedWithTheirWindow) {
  idle_visits.clear();
  HWND first = PlainWindow(), second = PlainWindow();
  int one = 1, two = 2, other = 3;
  EXPECT_TRUE(ui::AddIdleCallback(first, RecordVisit, &one));
  EXPECT_TRUE(ui::AddIdleCallback(second, RecordVisit, &two));
  EXPECT_FALSE(ui::AddIdleCallback(first, RecordVisit, &other));
  EXPECT_EQ(ui::IdleCallbackCount(), 2);

  ui::RunIdlePass();
  EXPECT_EQ(idle_visits, (std::vector<int>{2, 1}));
  DestroyWindow(second);
  ui::RunIdlePass();
  EXPECT_EQ(idle_visits, (std::vector<int>{2, 1, 1}));
  EXPECT_EQ(ui::IdleCallbackCount(), 1);
  ui::RemoveIdleCallback(first);
  EXPECT_EQ(ui::IdleCallbackCount(), 0);
  DestroyWindow(first);
}

TEST(MessageLoop, ReturnsAtOnceWhenNoWindowIsLoaded) {
  ui::UnloadAllWindows();
  ui::RunMessageLoop();  // would never return if it waited for messages
}

// Closes the test window on the first idle pass; counts the passes.
int idle_passes = 0;
void CloseOnIdle(void* window) {
  if (++idle_passes == 1) PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
}

TEST_F(FormLoaderTest, LoopRunsIdlePassesAndEndsWithTheLastWindow) {
  idle_passes = 0;
  ui::AddIdleCallback(window(), CloseOnIdle, window());
  ui::RunMessageLoop();
  EXPECT_GE(idle_passes, 1);
  EXPECT_FALSE(ui::AnyWindowAlive());
  ui::RunIdlePass();
  EXPECT_EQ(ui::IdleCallbackCount(), 0) << "dropped on the next pass, its window gone";
}

TEST_F(FormLoaderTest, CloseAllWindowsEndsTheLoopAsTheUsersCloseDoes) {
  int steps = 0;
  ui::RepeatFromLoop(1, [&steps] {
    if (++steps == 3) ui::CloseAllWindows();
    return steps < 3;
  });
  ui::RunMessageLoop();
  EXPECT_EQ(steps, 3) << "each step until the first false";
  EXPECT_EQ(window(), nullptr);
  EXPECT_NE(ui::FindLoadedWindow(kWindow), nullptr) << "the record stays with its units";
}

// A step keeps its state from one call to the next, and a step that takes
// messages while it runs (as a handler waiting on the network does) is not
// started again inside itself by its own timer.
TEST_F(FormLoaderTest, ATimedStepKeepsItsStateAndIsNeverStartedInsideItself) {
  int calls = 0, depth = 0, deepest = 0;
  ui::RepeatFromLoop(1, [&, own = 0]() mutable {
    ++own;
    ++calls;
    deepest = std::max(deepest, ++depth);
    Sleep(5);  // the timer comes due again meanwhile
    rt::ProcessPendingEvents();
    --depth;
    if (own == 3 || calls == 10) ui::CloseAllWindows();
    return own < 3 && calls < 10;
  });
  ui::RunMessageLoop();
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(deepest, 1);
}

// A close that a handler's pending-events pump takes ends the program there,
// before the handler goes on with a window that is gone.
TEST_F(FormLoaderTest, AWindowClosedInsideAHandlerEndsTheProgramThere) {
  EXPECT_EXIT(
      {
        events.after_row_focused = [] {
          ui::CloseAllWindows();
          rt::ProcessPendingEvents();
          std::_Exit(3);  // the handler went on
        };
        ui::InsertRow(kList);
        ui::RepeatFromLoop(1, [] {
          ui::FocusRow(kList, 0);
          return false;
        });
        ui::RunMessageLoop([] { std::_Exit(7); });
      },
      testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace ui_test
