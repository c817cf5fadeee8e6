#include "tests/ui/win32/test_window.h"

#include <vector>

#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/win32/window_picture.h"
#include "ui/win32/window_registry.h"

namespace ui_test {

void DrainMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TestWindow::SetUp() {
  events = {};
  ui::RegisterForm(TestForm());
  ASSERT_TRUE(ui::LoadWindow(kWindow));
  DrainMessages();
}

void TestWindow::TearDown() {
  ui::ControlTheme(0);
  ui::UnloadAllWindows();
  DrainMessages();
}

HWND TestWindow::window() const {
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(kWindow);
  return loaded ? loaded->handle : nullptr;
}

HWND TestWindow::control(const ui::UnitRef& unit) const {
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(unit.window);
  ui::Unit* found = loaded ? loaded->FindUnit(unit.unit) : nullptr;
  return found ? found->control() : nullptr;
}

COLORREF PaintedPixel(HWND window, int x, int y) {
  return ui::CaptureClientArea(window).At(x, y);
}

}  // namespace ui_test
