// The viewer's main window loaded offscreen in the test process, with what the
// end-to-end suites drive it by (imports, clicks on rows, waiting for the
// refresh passes) and read it by (cells, value labels, the chart box).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <string>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/service_addresses.h"
#include "runtime/core_commands.h"
#include "tests/support/quote_texts.h"
#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/standard_units.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"
#include "ui/unit_properties.h"

namespace app_test {

inline constexpr QRgb kWhite = 0xffffffff;

class ViewerTest : public ::testing::Test {
 protected:
  static void UseServices(const std::string& quote_base, const std::string& chart_base) {
    setenv("QUOTEVIEW_QUOTE_PREFIX", (quote_base + "/q=").c_str(), 1);
    setenv("QUOTEVIEW_CHART_PREFIX", (chart_base + "/quotepic/10082333/").c_str(), 1);
    app::ReadServiceAddresses();
  }
  static void UseService(const std::string& base) { UseServices(base, base); }
  void SetUp() override {
    rt::SetPendingEventsPump(ui::PumpPendingEvents);
    app::RegisterMainForm();
    ui::LoadStartWindow(app::kMainWindow);
  }
  void TearDown() override {
    EXPECT_TRUE(WaitForPasses());
    ui::ControlTheme(0);
    ui::UnloadAllWindows();
    unsetenv("QUOTEVIEW_QUOTE_PREFIX");
    unsetenv("QUOTEVIEW_CHART_PREFIX");
    app::ReadServiceAddresses();
  }
  static QWidget* Widget(int32_t unit) {
    return ui::FindLoadedWindow(app::kMainWindow)->FindUnit(unit)->widget();
  }
  static ui::ListViewWidget* List() {
    return static_cast<ui::ListViewWidget*>(Widget(app::unit::WatchList));
  }
  static void Import(const std::string& code) {
    static_cast<QLineEdit*>(Widget(app::unit::CodeBox))->setText(QString::fromStdString(code));
    QTest::mouseClick(Widget(app::unit::ImportButton), Qt::LeftButton);
  }
  // A click on the row; its handler has run when this returns.
  static void ChangeRow(int row) {
    List()->scrollTo(List()->model()->index(row, 0));
    const QRect cell = List()->visualRect(List()->model()->index(row, 0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  static bool WaitForPasses(int timeout_ms = 15000) {
    const bool ended = QTest::qWaitFor([] { return app::RefreshPassesRunning() == 0; }, timeout_ms);
    QCoreApplication::sendPostedEvents();  // the passes' last writes
    return ended;
  }
  static Fields Row(int row) {
    Fields cells;
    for (int column = 1; column <= 5; ++column) {
      cells.push_back(ui::GetCellText(app::kWatchList, row, column).str());
    }
    return cells;
  }
  static std::string Label(int number) {
    return ui::ReadUnitText(app::LabelRef(number), ui::property::Text).str();
  }
  static Fields Labels() {
    Fields texts;
    for (const auto& [field, label] : LabelOfField()) texts.push_back(Label(label));
    return texts;
  }
  static QImage Box() { return Widget(app::unit::ChartBox)->grab().toImage(); }
  static const ui::CartoonBoxModel& BoxModel() {
    return static_cast<const ui::CartoonBoxUnit*>(
               ui::FindLoadedWindow(app::kMainWindow)->FindUnit(app::unit::ChartBox))
        ->model();
  }
};

}  // namespace app_test
