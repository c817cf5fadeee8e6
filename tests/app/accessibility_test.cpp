// The main window as a screen reader sees it through Qt's accessibility
// interfaces: roles, names and descriptions, what is left out of the tree,
// and the keyboard focus order.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <set>

#include "app/main_form.h"
#include "tests/support/gbk_literals.h"
#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/standard_units.h"
#include "ui/unit_properties.h"
#include "ui/window_registry.h"

namespace {

class AccessibilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::RegisterMainForm();
    ui::LoadStartWindow(app::kMainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
  }
  void TearDown() override {
    ui::ControlTheme(0);
    ui::UnloadAllWindows();
  }
  static QWidget* window() { return ui::FindLoadedWindow(app::kMainWindow)->widget; }
  static QWidget* widget(int32_t unit) {
    return ui::FindLoadedWindow(app::kMainWindow)->FindUnit(unit)->widget();
  }
  static QAccessibleInterface* Interface(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
  }
  static QString Name(QWidget* widget) { return Interface(widget)->text(QAccessible::Name); }
};

// Every object reached by walking the tree down from `node`.
void Collect(QAccessibleInterface* node, std::set<QObject*>& reached) {
  reached.insert(node->object());
  for (int i = 0; i < node->childCount(); ++i) {
    QAccessibleInterface* child = node->child(i);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(node->indexOfChild(child), i);
    EXPECT_EQ(child->parent()->object(), node->object());
    Collect(child, reached);
  }
}

TEST_F(AccessibilityTest, TheWindowIsAFrameNamedByItsCaption) {
  QAccessibleInterface* frame = Interface(window());
  EXPECT_EQ(frame->role(), QAccessible::Window);  // a frame to screen readers, not a filler
  EXPECT_EQ(frame->text(QAccessible::Name), QString::fromUtf8("股票行情"));
}

TEST_F(AccessibilityTest, ControlsCarryTheirNames) {
  EXPECT_EQ(Name(widget(app::unit::CodeBox)), QString::fromUtf8("股票代码"));
  EXPECT_EQ(Interface(widget(app::unit::CodeBox))->role(), QAccessible::EditableText);
  EXPECT_EQ(Name(widget(app::unit::WatchList)), QString::fromUtf8("自选股"));
  EXPECT_EQ(Interface(widget(app::unit::WatchList))->role(), QAccessible::Table);
  EXPECT_EQ(Name(widget(app::unit::ChartBox)), QString::fromUtf8("走势图"));
  EXPECT_EQ(Interface(widget(app::unit::ChartBox))->role(), QAccessible::Graphic);
  EXPECT_EQ(Name(widget(app::unit::BookGroup)), QString::fromUtf8("五档盘口"));
  EXPECT_EQ(Interface(widget(app::unit::BookGroup))->role(), QAccessible::Grouping);
  EXPECT_EQ(Name(widget(app::unit::ImportButton)), QString::fromUtf8("导入"));
}

TEST_F(AccessibilityTest, LabelsReadTheirShownTextAndValueLabelsTheirLevel) {
  // The value labels in form order: first values (price) of sell 5..1 and buy
  // 1..5, then the second values (size) likewise.
  const char* levels[] = {"卖5", "卖4", "卖3", "卖2", "卖1", "买1", "买2", "买3", "买4", "买5"};
  const int first_values[] = {15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  const int second_values[] = {27, 28, 29, 30, 31, 32, 33, 34, 35, 36};
  for (int i = 0; i < 10; ++i) {
    for (const auto& [number, kind] :
         {std::pair{first_values[i], "价格"}, std::pair{second_values[i], "数量"}}) {
      SCOPED_TRACE(number);
      QAccessibleInterface* label = Interface(widget(app::unit::Label(number)));
      EXPECT_EQ(label->role(), QAccessible::StaticText);
      EXPECT_EQ(label->text(QAccessible::Description),
                QString::fromUtf8(levels[i]) + QChar(' ') + QString::fromUtf8(kind));
    }
  }
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(app::kMainWindow);
  for (const auto& unit : loaded->units) {
    if (auto* label = qobject_cast<QLabel*>(unit->widget())) {
      SCOPED_TRACE(unit->form().name);
      EXPECT_EQ(Name(label), label->text());
    }
  }
  // A written value is what the name reads from then on.
  ui::WriteUnitText(app::LabelRef(20), ui::property::Text, "10.52");
  EXPECT_EQ(Name(widget(app::unit::Label(20))), QStringLiteral("10.52"));
  EXPECT_EQ(Interface(widget(app::unit::Label(20)))->text(QAccessible::Description),
            QString::fromUtf8("买1 价格"));
}

TEST_F(AccessibilityTest, TheTemplateObjectIsLeftOutOfTheTree) {
  std::set<QObject*> reached;
  Collect(Interface(window()), reached);
  EXPECT_EQ(reached.count(widget(app::unit::ChartObject)), 0u);
  for (const auto& unit : ui::FindLoadedWindow(app::kMainWindow)->units) {
    if (unit->id() == app::unit::ChartObject) continue;
    EXPECT_EQ(reached.count(unit->widget()), 1u) << unit->form().name;
  }
}

TEST_F(AccessibilityTest, TabMovesThroughButtonEditBoxAndList) {
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  widget(app::unit::ImportButton)->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), widget(app::unit::ImportButton));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget(app::unit::CodeBox));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget(app::unit::WatchList));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget(app::unit::ImportButton)) << "round again";
}

}  // namespace
