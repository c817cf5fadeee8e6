#include "tests/ui/qt/test_window.h"

#include <QTest>

#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/qt/list_view_unit.h"
#include "ui/qt/window_registry.h"

namespace ui_test {

void TestWindow::SetUp() {
  events = {};
  ui::RegisterForm(TestForm());
  ASSERT_TRUE(ui::LoadWindow(kWindow));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
}

void TestWindow::TearDown() {
  ui::ControlTheme(0);
  ui::UnloadAllWindows();
}

QWidget* TestWindow::window() const {
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(kWindow);
  return loaded ? loaded->widget.data() : nullptr;
}

QWidget* TestWindow::widget(const ui::UnitRef& unit) const {
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(unit.window);
  ui::Unit* found = loaded ? loaded->FindUnit(unit.unit) : nullptr;
  return found ? found->widget() : nullptr;
}

}  // namespace ui_test
