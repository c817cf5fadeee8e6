// The viewer's main window as loaded from its form: layout, texts, list
// columns, the creation handler's theme, the import handler, and what a
// screen reader sees of it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "app/main_form.h"
#include "app/main_handlers.h"
#include "app/refresh_worker.h"
#include "tests/support/gbk_literals.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/control_theme.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/standard_units.h"
#include "ui/qt/window_registry.h"
#include "ui/unit_properties.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::RegisterMainForm();
    ui::LoadStartWindow(app::kMainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
  }
  void TearDown() override {
    // A row change started a refresh pass; it must not outlive the window,
    // nor the process's statics when the suite ends right after.
    EXPECT_TRUE(QTest::qWaitFor([] { return app::RefreshPassesRunning() == 0; }, 15000));
    QCoreApplication::sendPostedEvents();
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

QString TextOf(QWidget* widget) {
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  return {};
}

// Framed, the outer frame is 679 x 429 at (50, 50); unframed, the client area
// is. The suite runs once with the offscreen platform's frame and once with a
// platform configuration that has none (see CMakeLists.txt).
TEST_F(MainWindowTest, WindowOpensAtItsPlaceWithItsSizeAndCaption) {
  const bool frameless = qEnvironmentVariable("QT_QPA_PLATFORM").contains("no_frame.json");
  const QMargins frame = window()->windowHandle()->frameMargins();
  EXPECT_EQ(frame.isNull(), frameless);
  EXPECT_EQ(window()->frameGeometry(), QRect(50, 50, 679, 429));
  EXPECT_EQ(window()->geometry(),
            QRect(50 + frame.left(), 50 + frame.top(), 679 - frame.left() - frame.right(),
                  429 - frame.top() - frame.bottom()));
  EXPECT_EQ(window()->windowTitle(), QString::fromUtf8("股票行情"));
}

TEST_F(MainWindowTest, EveryUnitSitsInItsParentWithItsText) {
  struct Expected {
    const char* name;
    const char* parent;  // nullptr: the window
    QRect place;
    const char* text;
  };
  const QString hyphens(41, QLatin1Char('-'));
  const char* separator = "-----------------------------------------";
  const Expected expected[] = {
      {"导入", nullptr, {8, 8, 112, 32}, "导入"},
      {"编辑框1", nullptr, {8, 48, 112, 32}, ""},
      {"动画框1", nullptr, {128, 8, 280, 152}, ""},
      {"分组框1", nullptr, {0, 176, 416, 216}, ""},
      {"超级列表框1", "分组框1", {8, 16, 400, 184}, ""},
      {"分组框2", nullptr, {424, 2, 248, 390}, ""},
      {"动画物体1", "分组框2", {8, 166, 26, 26}, ""},
      {"标签1", "分组框2", {16, 8, 64, 24}, "卖5"},
      {"标签2", "分组框2", {16, 37, 64, 24}, "卖4"},
      {"标签3", "分组框2", {16, 66, 64, 24}, "卖3"},
      {"标签4", "分组框2", {16, 95, 64, 24}, "卖2"},
      {"标签5", "分组框2", {16, 126, 64, 24}, "卖1"},
      {"标签6", "分组框2", {8, 146, 232, 24}, separator},
      {"标签7", "分组框2", {15, 170, 64, 24}, "买1"},
      {"标签8", "分组框2", {15, 199, 64, 24}, "买2"},
      {"标签9", "分组框2", {15, 228, 64, 24}, "买3"},
      {"标签10", "分组框2", {15, 257, 64, 24}, "买4"},
      {"标签11", "分组框2", {15, 288, 64, 24}, "买5"},
      {"标签12", "分组框2", {8, 308, 232, 24}, separator},
      {"标签15", "分组框2", {81, 8, 64, 24}, "卖5"},
      {"标签16", "分组框2", {81, 37, 64, 24}, "卖4"},
      {"标签17", "分组框2", {81, 66, 64, 24}, "卖3"},
      {"标签18", "分组框2", {81, 95, 64, 24}, "卖2"},
      {"标签19", "分组框2", {81, 126, 64, 24}, "卖1"},
      {"标签20", "分组框2", {80, 170, 64, 24}, "买1"},
      {"标签21", "分组框2", {80, 199, 64, 24}, "买2"},
      {"标签22", "分组框2", {80, 228, 64, 24}, "买3"},
      {"标签23", "分组框2", {80, 257, 64, 24}, "买4"},
      {"标签24", "分组框2", {80, 288, 64, 24}, "买5"},
      {"标签25", "分组框2", {81, 328, 80, 24}, ""},
      {"标签27", "分组框2", {150, 8, 64, 24}, "卖5"},
      {"标签28", "分组框2", {150, 37, 64, 24}, "卖4"},
      {"标签29", "分组框2", {150, 66, 64, 24}, "卖3"},
      {"标签30", "分组框2", {150, 95, 64, 24}, "卖2"},
      {"标签31", "分组框2", {150, 126, 64, 24}, "卖1"},
      {"标签32", "分组框2", {149, 170, 64, 24}, "买1"},
      {"标签33", "分组框2", {149, 199, 64, 24}, "买2"},
      {"标签34", "分组框2", {149, 228, 64, 24}, "买3"},
      {"标签35", "分组框2", {149, 257, 64, 24}, "买4"},
      {"标签36", "分组框2", {149, 288, 64, 24}, "买5"},
  };
  const ui::LoadedWindow* loaded = ui::FindLoadedWindow(app::kMainWindow);
  ASSERT_EQ(loaded->units.size(), std::size(expected));
  std::map<std::string, QWidget*> by_name;
  for (size_t i = 0; i < loaded->units.size(); ++i) {
    const ui::Unit& unit = *loaded->units[i];
    by_name[unit.form().name] = unit.widget();
    const Expected& want = expected[i];
    SCOPED_TRACE(want.name);
    EXPECT_STREQ(unit.form().name, want.name) << "form order";
    QWidget* parent = want.parent ? by_name.at(want.parent) : window();
    EXPECT_EQ(unit.widget()->parentWidget(), parent);
    EXPECT_EQ(unit.widget()->geometry(), want.place);
    EXPECT_EQ(TextOf(unit.widget()), QString::fromUtf8(want.text));
  }
  EXPECT_EQ(TextOf(widget(app::unit::Label(6))), hyphens);
}

TEST_F(MainWindowTest, WatchListStartsEmptyWithItsSixColumns) {
  auto* list = static_cast<ui::ListViewWidget*>(widget(app::unit::WatchList));
  const QAbstractItemModel* model = list->model();
  const std::pair<const char*, int> columns[] = {{"代码", 50},         {"名称", 60},
                                                 {"现价", 50},         {"涨跌", 50},
                                                 {"成交量（万）", 90}, {"总市值（亿）", 90}};
  ASSERT_EQ(model->columnCount(), 6);
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(),
              QString::fromUtf8(columns[column].first));
    EXPECT_EQ(list->columnWidth(column), columns[column].second);
  }
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 0);
}

TEST_F(MainWindowTest, ChartBoxStartsWithNothingInIt) {
  const auto* box = static_cast<const ui::CartoonBoxUnit*>(
      ui::FindLoadedWindow(app::kMainWindow)->FindUnit(app::unit::ChartBox));
  EXPECT_TRUE(box->model().objects().empty());
}

TEST_F(MainWindowTest, CreationSwitchedTheThemeOnForTheStandardControls) {
  EXPECT_EQ(ui::ActiveThemeScheme(), 3);
  EXPECT_EQ(ui::ThemeHookCount(), 1);
  EXPECT_TRUE(ui::ThemeHolds(widget(app::unit::ImportButton)));
  EXPECT_TRUE(ui::ThemeHolds(widget(app::unit::CodeBox)));
  EXPECT_TRUE(ui::ThemeHolds(widget(app::unit::BookGroup)));
  EXPECT_FALSE(ui::ThemeHolds(widget(app::unit::WatchList)));
  EXPECT_FALSE(ui::ThemeHolds(widget(app::unit::Label(1))));
}

// WCAG relative luminance of an sRGB colour, and the contrast of two colours.
double Luminance(QColor colour) {
  auto linear = [](int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
         0.0722 * linear(colour.blue());
}
double Contrast(QColor a, QColor b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The watch list sits in a group box that the theme takes over; its selected
// row must look the same with the theme on and off, and stay readable.
TEST_F(MainWindowTest, TheThemeLeavesTheSelectedRowAsTheListDrawsIt) {
  auto* edit = static_cast<QLineEdit*>(widget(app::unit::CodeBox));
  edit->setText(QStringLiteral("600000"));
  QTest::mouseClick(widget(app::unit::ImportButton), Qt::LeftButton);
  auto* list = static_cast<ui::ListViewWidget*>(widget(app::unit::WatchList));
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  const QRect code_cell = list->visualRect(list->model()->index(0, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, code_cell.center());
  ASSERT_TRUE(list->hasFocus());
  ASSERT_EQ(list->FirstSelectedRow(), 0);
  const QRect row = code_cell.united(list->visualRect(list->model()->index(0, 5)));

  ASSERT_EQ(ui::ActiveThemeScheme(), 3);
  const QImage themed = list->viewport()->grab(row).toImage();
  ui::ControlTheme(0);
  QCoreApplication::processEvents();
  const QImage plain = list->viewport()->grab(row).toImage();
  EXPECT_TRUE(themed == plain) << "the theme changed the selected row's pixels";

  // The highlight is read inside the empty last cell; the text colour is the
  // code's pixel that stands out most from it.
  const QPoint empty = list->visualRect(list->model()->index(0, 5)).center() - row.topLeft();
  const QColor highlight = themed.pixelColor(empty);
  double best = 1;
  for (int y = 0; y < code_cell.height(); ++y) {
    for (int x = 0; x < code_cell.width(); ++x) {
      best = std::max(best, Contrast(highlight, themed.pixelColor(x, y)));
    }
  }
  EXPECT_GE(best, 4.5) << "selected text on " << highlight.name().toStdString();
}

TEST_F(MainWindowTest, ImportAppendsOneRowHoldingTheCodeAsTyped) {
  auto* edit = static_cast<QLineEdit*>(widget(app::unit::CodeBox));
  QWidget* import = widget(app::unit::ImportButton);
  edit->setText(QString::fromUtf8(" 600519 茅台"));
  QTest::mouseClick(import, Qt::LeftButton);
  QTest::mouseClick(import, Qt::LeftButton);
  edit->clear();
  QTest::mouseClick(import, Qt::LeftButton);

  ASSERT_EQ(ui::GetRowCount(app::kWatchList), 3);
  EXPECT_EQ(ui::GetCellText(app::kWatchList, 0).view(), test::Gbk(" 600519 茅台"));
  EXPECT_EQ(ui::GetCellText(app::kWatchList, 1).view(), test::Gbk(" 600519 茅台"));
  EXPECT_TRUE(ui::GetCellText(app::kWatchList, 2).empty());
  for (int column = 1; column < 6; ++column) {
    EXPECT_TRUE(ui::GetCellText(app::kWatchList, 0, column).empty());
  }
}

TEST_F(MainWindowTest, ImportLeavesTheEditBoxAsItWas) {
  auto* edit = static_cast<QLineEdit*>(widget(app::unit::CodeBox));
  edit->setText(QStringLiteral("000001"));
  QTest::mouseClick(widget(app::unit::ImportButton), Qt::LeftButton);
  EXPECT_EQ(edit->text(), QStringLiteral("000001"));
}

// --- what a screen reader sees, through Qt's accessibility interfaces ---

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

TEST_F(MainWindowTest, RolesAndNames) {
  // Window is the role screen readers present as a frame (not a filler).
  const std::tuple<QWidget*, QAccessible::Role, const char*> expected[] = {
      {window(), QAccessible::Window, "股票行情"},
      {widget(app::unit::CodeBox), QAccessible::EditableText, "股票代码"},
      {widget(app::unit::WatchList), QAccessible::Table, "自选股"},
      {widget(app::unit::ChartBox), QAccessible::Graphic, "走势图"},
      {widget(app::unit::BookGroup), QAccessible::Grouping, "五档盘口"},
  };
  for (const auto& [control, role, name] : expected) {
    EXPECT_EQ(Interface(control)->role(), role) << name;
    EXPECT_EQ(Name(control), QString::fromUtf8(name));
  }
}

TEST_F(MainWindowTest, LabelsReadTheirShownTextAndValueLabelsTheirLevel) {
  // First values (price) of sell 5..1 and buy 1..5, then the second values (size).
  const char* levels[] = {"卖5", "卖4", "卖3", "卖2", "卖1", "买1", "买2", "买3", "买4", "买5"};
  for (int number :
       {15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36}) {
    const bool price = number <= 24;
    QAccessibleInterface* label = Interface(widget(app::unit::Label(number)));
    EXPECT_EQ(label->role(), QAccessible::StaticText);
    EXPECT_EQ(label->text(QAccessible::Description),
              QString::fromUtf8(levels[number - (price ? 15 : 27)]) +
                  QString::fromUtf8(price ? " 价格" : " 数量"));
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

TEST_F(MainWindowTest, TheTemplateObjectIsLeftOutOfTheTree) {
  std::set<QObject*> reached;
  Collect(Interface(window()), reached);
  EXPECT_EQ(reached.count(widget(app::unit::ChartObject)), 0u);
  for (const auto& unit : ui::FindLoadedWindow(app::kMainWindow)->units) {
    if (unit->id() == app::unit::ChartObject) continue;
    EXPECT_EQ(reached.count(unit->widget()), 1u) << unit->form().name;
  }
}

TEST_F(MainWindowTest, TabMovesThroughButtonEditBoxAndList) {
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  widget(app::unit::ImportButton)->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), widget(app::unit::ImportButton));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget(app::unit::CodeBox));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widget(app::unit::WatchList));
}

TEST(MainForm, EachEventRunsItsHandler) {
  const auto& events = app::MainForm().events;
  auto handler_of = [&](int32_t unit, int32_t event) -> ui::EventHandler {
    for (const ui::EventBinding& binding : events) {
      if (binding.unit == unit && binding.event == event) return binding.handler;
    }
    return nullptr;
  };
  EXPECT_EQ(events.size(), 3u) << "no other event has a handler";
  EXPECT_EQ(handler_of(ui::kWindowItself, ui::event::WindowCreated), &app::OnMainWindowCreated);
  EXPECT_EQ(handler_of(app::unit::ImportButton, ui::event::ButtonClicked), &app::OnImportClicked);
  EXPECT_EQ(handler_of(app::unit::WatchList, ui::event::RowFocused), &app::OnCurrentRowChanged);
}

}  // namespace
