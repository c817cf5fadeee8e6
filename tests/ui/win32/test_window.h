// The test window over the Win32 controls: loaded fresh for each test; plus
// what the tests do as a user would, through the controls' own messages.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// The common controls' declarations need the system's first.
#include <commctrl.h>

#include "tests/support/ui_test_form.h"

namespace ui_test {

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
