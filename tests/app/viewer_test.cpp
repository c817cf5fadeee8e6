// The viewer end to end, offscreen, in this process: the main window against
// quote-service run as a child process, and against loopback servers whose
// answers are made to order or fail on purpose.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/service_addresses.h"
#include "runtime/core_commands.h"
#include "tests/app/service_process.h"
#include "tests/support/http_test_server.h"
#include "tests/support/png_writer.h"
#include "ui/control_theme.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/list_view_widget.h"
#include "ui/standard_units.h"
#include "ui/unit_properties.h"
#include "ui/window_registry.h"
#include "ui/window_runtime.h"

namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string& answer) {
  Fields fields;
  for (size_t start = 0; start < answer.size();) {
    const size_t tilde = std::min(answer.find('~', start), answer.size());
    fields.push_back(answer.substr(start, tilde - start));
    start = tilde + 1;
  }
  return fields;
}

// Field n of the full form and the value label it belongs in: buy levels 1 to 5
// in fields 10 to 19, sell levels in 20 to 29, two values per level; first
// values in labels 20-24 (buy) and 19-15 (sell), second ones in 32-36 and 31-27.
std::map<int, int> LabelOfField() {
  std::map<int, int> labels;
  for (int level = 0; level < 5; ++level) {
    labels[10 + 2 * level] = 20 + level;
    labels[11 + 2 * level] = 32 + level;
    labels[20 + 2 * level] = 19 - level;
    labels[21 + 2 * level] = 31 - level;
  }
  return labels;
}

// The five cells a short answer gives a row: fields 2, 4 and 6, the volume
// (field 7) in units of ten thousand, the market value up to the quote mark.
Fields RowOf(const Fields& f) {
  char volume[32];
  std::snprintf(volume, sizeof volume, "%.13g", std::atoll(f[6].c_str()) / 10000.0);
  return {f[1], f[3], f[5], volume, f[9].substr(0, f[9].find('"'))};
}

// A record of `count` fields, each naming its code and number ("600000:4"),
// volume digits in field 7 and the closing quote after the last field.
std::string Record(const std::string& code, int count) {
  std::string record = "v_" + code + "=\"1";
  for (int n = 2; n <= count; ++n) {
    record += "~" + (n == 7 ? std::to_string(n * 12345) : code + ":" + std::to_string(n));
  }
  return record + "\";\n";
}

std::string Png(uint8_t red, uint8_t green, uint8_t blue) {
  test_support::PngLayout layout(40, 30, test_support::PngColour::kRgb);
  for (int i = 0; i < 40 * 30; ++i) layout.samples.insert(layout.samples.end(), {red, green, blue});
  const std::vector<uint8_t> png = test_support::WritePng(layout);
  return "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n" + std::string(png.begin(), png.end());
}

class ViewerTest : public ::testing::Test {
 protected:
  static void UseService(const std::string& base) {
    setenv("QUOTEVIEW_QUOTE_PREFIX", (base + "/q=").c_str(), 1);
    setenv("QUOTEVIEW_CHART_PREFIX", (base + "/quotepic/10082333/").c_str(), 1);
    app::ReadServiceAddresses();
  }
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
  // A click on the row: the handler has run when this returns.
  static void ChangeRow(int row) {
    const QRect cell = List()->visualRect(List()->model()->index(row, 0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  static bool WaitForPasses() {
    const bool ended = QTest::qWaitFor([] { return app::RefreshPassesRunning() == 0; }, 15000);
    QCoreApplication::sendPostedEvents();  // the last writes of the passes
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
  static std::vector<std::string> Labels() {
    std::vector<std::string> texts;
    for (const auto& [field, label] : LabelOfField()) texts.push_back(Label(label));
    return texts;
  }
  static QImage Box() { return Widget(app::unit::ChartBox)->grab().toImage(); }
  // The targets of one kind of request, in the order they arrived.
  enum Kind { kShort, kFull, kPicture };
  static Fields Targets(const test::HttpTestServer& server, Kind kind) {
    Fields targets;
    for (const test::ReceivedRequest& request : server.Requests()) {
      const std::string& t = request.target;
      const Kind of = t.starts_with("/q=s_") ? kShort : t.starts_with("/q=") ? kFull : kPicture;
      if (of == kind) targets.push_back(t);
    }
    return targets;
  }
};

TEST_F(ViewerTest, ARowChangeShowsWhatTheServiceSentInRowsOrderBookAndChart) {
  app_test::ServiceProcess service;
  ASSERT_GT(service.port(), 0);
  UseService(service.Base());
  const Fields codes = {"600000", "000001", "600519"};
  for (const std::string& code : codes) Import(code);
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());

  for (int row = 0; row < 3; ++row) {
    const std::string exchange = codes[row][0] == '0' ? "sz" : "sh";
    const Fields answer = Split(service.Get("/q=s_" + exchange + codes[row]));
    ASSERT_GE(answer.size(), 10u);
    EXPECT_EQ(Row(row), RowOf(answer)) << codes[row];
  }
  const Fields full = Split(service.Get("/q=sz000001"));
  ASSERT_GE(full.size(), 29u);
  for (const auto& [field, label] : LabelOfField()) {
    EXPECT_EQ(Label(label), full[field - 1]) << "field " << field << ", label " << label;
  }
  const std::string png = service.Get("/quotepic/10082333/000001.png");
  const QImage chart =
      QImage::fromData(QByteArray::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
  const QImage shown = Box().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(chart.size(), shown.size());
  EXPECT_EQ(shown, chart);
}

class MadeToOrderTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    UseService(server.Url(""));
    for (const char* code : {"600000", "000001", "600519"}) {
      const std::string exchange = code[0] == '0' ? "sz" : "sh";
      server.Reply("/q=s_" + exchange + code, "HTTP/1.1 200 OK\r\n\r\n" + Record(code, 10));
      server.Reply("/q=" + exchange + code, "HTTP/1.1 200 OK\r\n\r\n" + Record(code, 33));
    }
    server.Reply("/quotepic/10082333/600000.png", Png(200, 0, 0));
    server.Reply("/quotepic/10082333/000001.png", Png(0, 0, 200));
  }
  test::HttpTestServer server;
};

TEST_F(MadeToOrderTest, ImportAppendsOneRowWithTheCodeAndAsksNothing) {
  Import("600000");
  Import("600000");
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 2);
  EXPECT_EQ(ui::GetCellText(app::kWatchList, 1, 0).str(), "600000");
  EXPECT_EQ(Row(1), Fields(5, ""));
  QTest::qWait(50);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(MadeToOrderTest, EachRowChangeAsksOncePerRowInOrderThenTheQuoteAndThePicture) {
  for (const char* code : {"000001", "600000", "000001"}) Import(code);
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Targets(server, kShort), (Fields{"/q=s_sz000001", "/q=s_sh600000", "/q=s_sz000001"}));
  EXPECT_EQ(Targets(server, kFull), (Fields{"/q=sh600000"}));
  EXPECT_EQ(Targets(server, kPicture), (Fields{"/quotepic/10082333/600000.png"}));
  EXPECT_EQ(server.Requests().size(), 5u);
  // The picture sits at the box's top-left corner; the rest is background.
  EXPECT_EQ(Box().pixel(0, 0), qRgb(200, 0, 0));
  EXPECT_EQ(Box().pixel(39, 29), qRgb(200, 0, 0));
  EXPECT_EQ(Box().pixel(40, 30), qRgb(255, 255, 255));
}

TEST_F(MadeToOrderTest, AnEmptyListAsksNothingAndNoRowAsksForTheBareExchange) {
  app::StartRefreshWorker();
  ASSERT_TRUE(WaitForPasses());
  EXPECT_TRUE(server.Requests().empty());

  Import("600000");
  const std::vector<std::string> placeholders = Labels();
  // The focus moves to the row while nothing is selected: property 35 reads -1.
  List()->selectionModel()->setCurrentIndex(List()->model()->index(0, 0),
                                            QItemSelectionModel::NoUpdate);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Targets(server, kFull), (Fields{"/q=sh"}));
  EXPECT_EQ(Targets(server, kPicture), (Fields{"/quotepic/10082333/.png"}));
  EXPECT_EQ(Labels(), placeholders);
  EXPECT_EQ(Box().pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(MadeToOrderTest, TwoQuickRowChangesGiveTwoCompletePasses) {
  const Fields codes = {"600000", "000001", "600519"};
  for (const std::string& code : codes) Import(code);
  ChangeRow(0);
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  // Two passes, interleaved as they like, each in row order: the k-th request
  // for a row comes after the k-th request for the row above it.
  const Fields seen = Targets(server, kShort);
  ASSERT_EQ(seen.size(), 6u);
  std::map<std::string, std::vector<size_t>> at;
  for (size_t i = 0; i < seen.size(); ++i) at[seen[i].substr(7)].push_back(i);
  for (int row = 0; row < 3; ++row) {
    ASSERT_EQ(at[codes[row]].size(), 2u) << codes[row];
    if (row > 0) {
      EXPECT_GT(at[codes[row]], at[codes[row - 1]]) << codes[row];
    }
    EXPECT_EQ(Row(row), RowOf(Split(Record(codes[row], 10))));
  }
}

TEST_F(MadeToOrderTest, ANestedRowChangeFinishesFirstAndTheOuterStockStays) {
  Import("600000");
  Import("000001");
  // Taken while the outer run's request lets events through.
  bool nested = false;
  QTimer::singleShot(0, [&] {
    nested = app::RefreshPassesRunning() > 0;  // the outer run's worker exists
    ChangeRow(1);
  });
  ChangeRow(0);
  EXPECT_TRUE(nested);
  EXPECT_EQ(Targets(server, kFull), (Fields{"/q=sz000001", "/q=sh600000"}));
  const Fields outer = Split(Record("600000", 33));
  for (const auto& [field, label] : LabelOfField()) EXPECT_EQ(Label(label), outer[field - 1]);
  EXPECT_EQ(Box().pixel(0, 0), qRgb(200, 0, 0));
}

TEST_F(MadeToOrderTest, AShortRecordWritesWhatItHasAndTheViewerGoesOn) {
  server.Reply("/q=s_sh600000", "HTTP/1.1 200 OK\r\n\r\n" + Record("600000", 9));
  server.Reply("/q=sh600000", "HTTP/1.1 200 OK\r\n\r\n" + Record("600000", 20));
  Import("600000");
  const std::vector<std::string> placeholders = Labels();
  ChangeRow(0);
  ASSERT_TRUE(WaitForPasses());
  const Fields f = Split(Record("600000", 9));
  EXPECT_EQ(Row(0), (Fields{f[1], f[3], f[5], "8.6415", ""}));  // 86415 / 10000
  const Fields full = Split(Record("600000", 20));
  for (const auto& [field, label] : LabelOfField()) {
    EXPECT_EQ(Label(label), field <= 20 ? full[field - 1] : placeholders[field - 10]) << field;
  }
  Import("000001");
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 2);
}

TEST_F(MadeToOrderTest, AFailingServiceKeepsRowsAndLabelsAndLeavesTheBoxEmpty) {
  Import("600000");
  ChangeRow(0);
  ASSERT_TRUE(WaitForPasses());
  const Fields filled = Row(0);
  const std::vector<std::string> labels = Labels();
  ASSERT_EQ(filled[0], "600000:2");
  // From now on every address gets an error page.
  for (const char* path : {"/q=s_sh600000", "/q=sh600000", "/q=s_sz000001", "/q=sz000001",
                           "/quotepic/10082333/000001.png"}) {
    server.Reply(path, "HTTP/1.1 500 Internal Server Error\r\n\r\n<html>no quote</html>");
  }
  Import("000001");
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Row(0), filled);
  EXPECT_EQ(Row(1), Fields(5, ""));
  EXPECT_EQ(Labels(), labels);
  EXPECT_EQ(Box().pixel(0, 0), qRgb(255, 255, 255));
}

// A service that closes every connection without a word, and one that is not
// there at all: nothing changes, and the window goes on taking input.
TEST_F(ViewerTest, ASilentOrAbsentServiceChangesNothingAndTheWindowResponds) {
  test::RawSocketServer silent({});
  int absent_port = 0;
  {
    test::RawSocketServer gone({});
    absent_port = gone.port();
  }
  const std::vector<std::string> placeholders = Labels();
  int rows = 0;
  for (const std::string& base :
       {silent.Url(""), "http://127.0.0.1:" + std::to_string(absent_port)}) {
    UseService(base);
    Import("600000");
    ChangeRow(rows++);
    ASSERT_TRUE(WaitForPasses());
    for (int row = 0; row < rows; ++row) EXPECT_EQ(Row(row), Fields(5, "")) << base;
    EXPECT_EQ(Labels(), placeholders) << base;
    EXPECT_EQ(Box().pixel(0, 0), qRgb(255, 255, 255)) << base;
  }
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 2);
  EXPECT_GE(silent.Requests().size(), 3u);
}

}  // namespace
