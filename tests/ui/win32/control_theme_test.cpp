// The control theme over Win32 controls: which classes and styles it takes
// over, the creation hook and the replaced window procedures, the frames in
// the scheme's colour and the hot state while the mouse is over a control.
#include <gtest/gtest.h>
#include <windows.h>
// The common controls' declarations need the system's first.
#include <commctrl.h>

#include <map>
#include <vector>

#include "runtime/fatal_error.h"
#include "ui/control_theme.h"
#include "ui/win32/control_theme.h"

namespace {

using ui::ThemeClass;

TEST(ControlThemeClasses, ControlsAreClassedByWindowClassAndStyle) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  const struct {
    const wchar_t* window_class;
    DWORD style;
    bool has_text;
    const wchar_t* parent_class;
    ThemeClass expected;
  } cases[] = {
      {L"Button", kChild | BS_PUSHBUTTON, true, L"", ThemeClass::kPushButton},
      {L"BUTTON", kChild | BS_DEFPUSHBUTTON, true, L"", ThemeClass::kPushButton},
      {L"Button", kChild | BS_AUTOCHECKBOX | BS_PUSHLIKE, true, L"", ThemeClass::kPushButton},
      {L"Button", kChild | BS_AUTORADIOBUTTON | BS_PUSHLIKE, true, L"", ThemeClass::kPushButton},
      {L"Button", kChild | BS_CHECKBOX, true, L"", ThemeClass::kCheckBox},
      {L"Button", kChild | BS_AUTO3STATE, true, L"", ThemeClass::kCheckBox},
      {L"Button", kChild | BS_RADIOBUTTON, true, L"", ThemeClass::kRadioButton},
      {L"Button", kChild | BS_GROUPBOX, false, L"", ThemeClass::kGroupBox},
      {L"Button", kChild | BS_PUSHBUTTON | BS_BITMAP, true, L"", ThemeClass::kNone},
      {L"Button", kChild | BS_USERBUTTON, true, L"", ThemeClass::kNone},
      {L"Button", kChild | BS_PUSHBOX, true, L"", ThemeClass::kNone},
      {L"Button", kChild | BS_OWNERDRAW, true, L"", ThemeClass::kNone},
      // Without text only the bare child-plus-tab-stop style keeps its own look.
      {L"Button", WS_CHILD | WS_TABSTOP, false, L"", ThemeClass::kNone},
      {L"Button", WS_CHILD | WS_TABSTOP, true, L"", ThemeClass::kPushButton},
      {L"Button", WS_CHILD | WS_TABSTOP | WS_VISIBLE, false, L"", ThemeClass::kPushButton},
      {L"Edit", kChild | ES_AUTOHSCROLL, false, L"QuoteviewWindow", ThemeClass::kEdit},
      {L"edit", kChild, false, L"SysIPAddress32", ThemeClass::kNone},
      {L"ComboBox", kChild | CBS_DROPDOWN, false, L"", ThemeClass::kComboBox},
      {L"ComboBox", kChild | CBS_DROPDOWNLIST, false, L"", ThemeClass::kComboBox},
      {L"ComboBox", kChild | CBS_SIMPLE, false, L"", ThemeClass::kNone},
      {L"ComboLBox", WS_POPUP, false, L"", ThemeClass::kComboList},
      {L"msctls_updown32", kChild, false, L"", ThemeClass::kUpDown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::ThemeClassOf(c.window_class, c.style, c.has_text, c.parent_class), c.expected)
        << "class " << testing::PrintToString(std::wstring(c.window_class)) << " style " << std::hex
        << c.style;
  }
  for (const wchar_t* other :
       {L"ListBox", L"SysListView32", L"SysTreeView32", L"SysDateTimePick32", L"ScrollBar",
        L"SysMonthCal32", L"SysTabControl32", L"msctls_progress32", L"msctls_trackbar32",
        L"msctls_hotkey32", L"SysIPAddress32", L"Static"}) {
    EXPECT_EQ(ui::ThemeClassOf(other, WS_CHILD, true, L""), ThemeClass::kNone);
  }
}

// A window of this thread with one control of each kind that matters.
class ControlThemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    push_ = Child(L"Button", L"确定", BS_PUSHBUTTON, 10, 10);
    check_ = Child(L"Button", L"选择", BS_AUTOCHECKBOX, 10, 40);
    group_ = Child(L"Button", L"组", BS_GROUPBOX, 10, 70);
    edit_ = Child(L"Edit", L"", ES_AUTOHSCROLL | WS_BORDER, 10, 110);
    list_ = Child(L"SysListView32", L"", LVS_REPORT, 10, 140);
    label_ = Child(L"Static", L"标签", SS_LEFT, 10, 180);
    UpdateWindow(window_);
  }
  void TearDown() override {
    ui::ControlTheme(0);
    DestroyWindow(window_);
  }

  HWND Child(const wchar_t* window_class, const wchar_t* text, DWORD style, int x, int y) {
    return CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, x, y, 120, 26,
                           window_, nullptr, nullptr, nullptr);
  }
  std::vector<HWND> Eligible() const { return {push_, check_, group_, edit_}; }
  std::vector<HWND> Ineligible() const { return {list_, label_, window_}; }
  static LONG_PTR Procedure(HWND control) { return GetWindowLongPtrW(control, GWLP_WNDPROC); }

  HWND window_, push_, check_, group_, edit_, list_, label_;
};

TEST_F(ControlThemeTest, SwitchingOnReplacesTheProceduresOfTheEligibleControlsOnly) {
  std::map<HWND, LONG_PTR> own;
  for (HWND control : Eligible()) own[control] = Procedure(control);
  for (HWND control : Ineligible()) own[control] = Procedure(control);
  EXPECT_EQ(ui::ControlTheme(3), 1);
  EXPECT_EQ(ui::ActiveThemeScheme(), 3);
  for (HWND control : Eligible()) {
    EXPECT_TRUE(ui::ThemeHolds(control));
    EXPECT_NE(Procedure(control), own[control]);
  }
  for (HWND control : Ineligible()) {
    EXPECT_FALSE(ui::ThemeHolds(control));
    EXPECT_EQ(Procedure(control), own[control]);
  }
  EXPECT_EQ(ui::ThemeTakenOverCount(), 4);

  // Switching off gives each its own procedure back and removes the hook.
  EXPECT_EQ(ui::ControlTheme(0), 1);
  for (HWND control : Eligible()) EXPECT_EQ(Procedure(control), own[control]);
  EXPECT_EQ(ui::ThemeTakenOverCount(), 0);
  EXPECT_EQ(ui::ThemeHookCount(), 0);
  EXPECT_EQ(ui::ControlTheme(0), 0) << "no hook left to remove";
}

TEST_F(ControlThemeTest, SwitchingOnTwiceKeepsOneHookAndTakesEachControlOnce) {
  const LONG_PTR own = Procedure(push_);
  ui::ControlTheme(1);
  const LONG_PTR themed = Procedure(push_);
  EXPECT_EQ(ui::ControlTheme(3), 1);
  EXPECT_EQ(ui::ThemeHookCount(), 1);
  EXPECT_EQ(ui::ThemeTakenOverCount(), 4);
  EXPECT_EQ(ui::ActiveThemeScheme(), 3);
  EXPECT_EQ(Procedure(push_), themed);
  ui::ControlTheme(0);
  EXPECT_EQ(Procedure(push_), own) << "one replacement, undone once";
}

TEST_F(ControlThemeTest, ControlsCreatedLaterAreTakenOverByTheHook) {
  ui::ControlTheme(2);
  HWND later_button = Child(L"Button", L"后来", BS_PUSHBUTTON, 200, 10);
  HWND later_label = Child(L"Static", L"后来", SS_LEFT, 200, 40);
  EXPECT_TRUE(ui::ThemeHolds(later_button));
  EXPECT_FALSE(ui::ThemeHolds(later_label));
  // A control replaced again after the theme keeps working when the theme goes.
  HWND wrapped = Child(L"Button", L"包装", BS_PUSHBUTTON, 200, 70);
  const auto theme_procedure = reinterpret_cast<WNDPROC>(Procedure(wrapped));
  static WNDPROC next = nullptr;
  next = theme_procedure;
  SetWindowLongPtrW(wrapped, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                      return CallWindowProcW(next, h, m, w, l);
                    }));
  ui::ControlTheme(0);
  EXPECT_FALSE(ui::ThemeHolds(wrapped));
  SetWindowTextW(wrapped, L"仍然");
  wchar_t text[16] = {};
  GetWindowTextW(wrapped, text, 16);
  EXPECT_STREQ(text, L"仍然");
}

// The frame's colour where the theme draws it, on the screen.
COLORREF FramePixel(HWND control, int x, int y) {
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
  HDC dc = GetWindowDC(control);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(control, dc);
  return colour;
}

TEST_F(ControlThemeTest, FramesTakeTheSchemeColourAndDarkenWhenDisabled) {
  const COLORREF schemes[] = {RGB(123, 158, 189), RGB(164, 185, 127), RGB(198, 197, 215)};
  for (int scheme = 1; scheme <= 3; ++scheme) {
    ui::ControlTheme(scheme);
    EXPECT_EQ(FramePixel(push_, 0, 0), schemes[scheme - 1]) << scheme;
    EXPECT_EQ(FramePixel(edit_, 0, 13), schemes[scheme - 1]) << scheme;
  }
  EnableWindow(push_, FALSE);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(FramePixel(push_, 0, 0),
            RGB(GetRValue(face) - 32, GetGValue(face) - 32, GetBValue(face) - 32));
  ui::ControlTheme(0);
  EXPECT_NE(FramePixel(push_, 0, 0), schemes[2]) << "its own look back";
}

TEST_F(ControlThemeTest, MouseOverMakesAControlHotUntilItLeaves) {
  ui::ControlTheme(3);
  EXPECT_FALSE(ui::ThemeControlIsHot(push_));
  const COLORREF inner_cold = FramePixel(push_, 1, 1);
  SendMessageW(push_, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(ui::ThemeControlIsHot(push_));
  EXPECT_EQ(FramePixel(push_, 1, 1), RGB(198, 197, 215)) << "a second frame line";
  SendMessageW(push_, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(ui::ThemeControlIsHot(push_));
  EXPECT_EQ(FramePixel(push_, 1, 1), inner_cold);
}

TEST(ControlThemeDeathTest, AStyleThatIsNoNumberIsFatal) {
  EXPECT_EXIT(
      {
        rt::SetFatalErrorPresenter(nullptr);
        rt::ValueRecord args[] = {rt::ValueRecord::Text("3")};
        rt::CallLibraryCommand(0, ui::cmd::ControlTheme, args, 1);
      },
      testing::ExitedWithCode(-1), "欲转换数据类型不是数值");
}

}  // namespace
