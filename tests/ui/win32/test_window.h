// A small window with one unit of every type, loaded fresh for each test, and
// counters for the events it raises; plus what the tests do as a user would,
// through the controls' own messages.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The common controls' declarations need the system's first.
#include <commctrl.h>

#include <functional>

#include "ui/form.h"
#include "ui/unit_ref.h"

namespace ui_test {

inline constexpr int32_t kWindow = 901;
inline constexpr ui::UnitRef kButton{kWindow, 1, ui::unit_type::Button};
inline constexpr ui::UnitRef kEdit{kWindow, 2, ui::unit_type::EditBox};
inline constexpr ui::UnitRef kGroup{kWindow, 3, ui::unit_type::GroupBox};
inline constexpr ui::UnitRef kList{kWindow, 4, ui::unit_type::ListView};
inline constexpr ui::UnitRef kLabel{kWindow, 5, ui::unit_type::Label};
inline constexpr ui::UnitRef kBox{kWindow, 6, ui::unit_type::CartoonBox};
inline constexpr ui::UnitRef kObject{kWindow, 7, ui::unit_type::CartoonObject};

struct EventCounts {
  int created = 0;
  int clicked = 0;
  int row_focused = 0;
  int first_selected_at_focus = -2;         // property 35 read inside the row handler
  std::function<void()> after_row_focused;  // more work for the row handler to do
};
extern EventCounts events;

ui::FormDescription TestForm();

// Takes every message waiting on this thread, as the loop would.
void DrainMessages();

// Loads the test window before each test and unloads every window after it
// (switching the control theme off too).
class TestWindow : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND window() const;
  HWND control(const ui::UnitRef& unit) const;
};

// The colour of a pixel of `window`'s client area as it shows, its children
// included, once everything due has painted.
COLORREF PaintedPixel(HWND window, int x, int y);

}  // namespace ui_test
