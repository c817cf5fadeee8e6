#include "tests/ui/win32/test_window.h"

#include <vector>

#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/unit_properties.h"
#include "ui/win32/window_picture.h"
#include "ui/win32/window_registry.h"

namespace ui_test {

EventCounts events;

namespace {

void OnCreated() {
  ++events.created;
}
void OnClicked() {
  ++events.clicked;
}
void OnRowFocused() {
  ++events.row_focused;
  events.first_selected_at_focus = ui::ReadUnitInt(kList, ui::property::FirstSelectedRow);
  if (events.after_row_focused) events.after_row_focused();
}

}  // namespace

ui::FormDescription TestForm() {
  using namespace ui::unit_type;
  ui::FormDescription form;
  form.id = kWindow;
  form.caption = "测试窗口";
  form.left = 20;
  form.top = 30;
  form.width = 420;
  form.height = 400;
  form.units = {
      {1, "按钮1", Button, ui::kWindowItself, 5, 5, 80, 24, "按钮", {}},
      {2, "编辑框1", EditBox, ui::kWindowItself, 5, 35, 80, 24, "编辑", {}},
      {3, "分组框1", GroupBox, ui::kWindowItself, 100, 5, 300, 280, "组", {}},
      {4,
       "超级列表框1",
       ListView,
       3,
       10,
       20,
       280,
       200,
       "",
       {{"代码", 50}, {"名称", 60}, {"现价", 50}}},
      {5, "标签1", Label, 3, 10, 230, 100, 20, "标签", {}},
      {6, "动画框1", CartoonBox, ui::kWindowItself, 5, 300, 120, 60, "", {}},
      {7, "动画物体1", CartoonObject, 3, 200, 230, 26, 26, "", {}},
  };
  form.events = {
      {ui::kWindowItself, ui::event::WindowCreated, OnCreated},
      {1, ui::event::ButtonClicked, OnClicked},
      {4, ui::event::RowFocused, OnRowFocused},
  };
  return form;
}

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
