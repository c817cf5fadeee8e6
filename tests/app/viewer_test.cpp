// The viewer end to end, offscreen, in this process: the main window against
// quote-service run as a child process, and against loopback servers whose
// answers are made to order or fail on purpose.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <map>
#include <memory>
#include <set>

#include "tests/app/viewer_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/png_writer.h"
#include "tests/support/service_process.h"

namespace {

using app_test::Answer;
using app_test::Exchange;
using app_test::Fields;
using app_test::kWhite;
using app_test::LabelOfField;
using app_test::Record;
using app_test::RowOf;
using app_test::Split;
using app_test::ViewerTest;

TEST_F(ViewerTest, ARowChangeShowsWhatTheServiceSentInRowsOrderBookAndChart) {
  app_test::ServiceProcess service;
  ASSERT_GT(service.port(), 0);
  UseService(service.Base());
  const Fields codes = {"600000", "000001", "600519"};
  for (const std::string& code : codes) Import(code);
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());

  for (int row = 0; row < 3; ++row) {
    const Fields answer = Split(service.Get("/q=s_" + Exchange(codes[row]) + codes[row]));
    ASSERT_GE(answer.size(), 10u);
    EXPECT_EQ(Row(row), RowOf(answer)) << codes[row];
  }
  const Fields full = Split(service.Get("/q=sz000001"));
  ASSERT_GE(full.size(), 29u);
  for (const auto& [field, label] : LabelOfField()) {
    EXPECT_EQ(Label(label), full[field - 1]) << "field " << field << ", label " << label;
  }
  const QImage chart =
      QImage::fromData(QByteArray::fromStdString(service.Get("/quotepic/10082333/000001.png")));
  ASSERT_FALSE(chart.isNull());
  EXPECT_EQ(Box().convertToFormat(QImage::Format_RGB32),
            chart.convertToFormat(QImage::Format_RGB32));
}

// Every code gets a 10-field short record and a 33-field full one; 600000 and
// 000001 have a small red or blue picture.
class MadeToOrderTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    UseService(server.Url(""));
    for (const char* code : {"600000", "000001", "600519"}) {
      server.Reply("/q=s_" + Exchange(code) + code, Answer(Record(code, 10)));
      server.Reply("/q=" + Exchange(code) + code, Answer(Record(code, 33)));
    }
    server.Reply("/quotepic/10082333/600000.png", Answer(Picture(200)));
    server.Reply("/quotepic/10082333/000001.png", Answer(Picture(0)));
  }
  // A 40 x 30 picture of the colour (red, 0, 200).
  static std::string Picture(int red) {
    test_support::PngLayout layout(40, 30, test_support::PngColour::kRgb);
    for (int i = 0; i < 40 * 30; ++i)
      layout.samples.insert(layout.samples.end(), {uint16_t(red), 0, 200});
    const std::vector<uint8_t> png = test_support::WritePng(layout);
    return std::string(png.begin(), png.end());
  }
  // The targets of one kind of request ("/q=s_", "/q=s" for full ones,
  // "/quotepic/"), in the order they came.
  Fields Targets(std::string_view kind) const {
    Fields targets;
    for (const test::ReceivedRequest& request : server.Requests()) {
      const std::string& t = request.target;
      const bool full = t.starts_with("/q=") && !t.starts_with("/q=s_");
      if (kind == "/q=s" ? full : t.starts_with(kind)) targets.push_back(t);
    }
    return targets;
  }
  test::HttpTestServer server;
};

TEST_F(MadeToOrderTest, ImportAsksNothingARowChangeAsksOncePerRowThenForQuoteAndPicture) {
  Import("000001");
  EXPECT_EQ(ui::GetRowCount(app::kWatchList), 1);
  EXPECT_EQ(ui::GetCellText(app::kWatchList, 0, 0).str(), "000001");
  EXPECT_EQ(Row(0), Fields(5, ""));
  QTest::qWait(50);
  EXPECT_TRUE(server.Requests().empty());

  Import("600000");
  Import("000001");
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Targets("/q=s_"), (Fields{"/q=s_sz000001", "/q=s_sh600000", "/q=s_sz000001"}));
  EXPECT_EQ(Targets("/q=s"), (Fields{"/q=sh600000"}));
  EXPECT_EQ(Targets("/quotepic/"), (Fields{"/quotepic/10082333/600000.png"}));
  EXPECT_EQ(server.Requests().size(), 5u);
  // The picture from the box's top-left corner; background beyond it.
  EXPECT_EQ(Box().pixel(0, 0), qRgb(200, 0, 200));
  EXPECT_EQ(Box().pixel(39, 29), qRgb(200, 0, 200));
  EXPECT_EQ(Box().pixel(40, 30), kWhite);
}

TEST_F(MadeToOrderTest, AnEmptyListAsksNothingAndNoRowAsksForTheBareExchange) {
  app::StartRefreshWorker();
  ASSERT_TRUE(WaitForPasses());
  EXPECT_TRUE(server.Requests().empty());

  Import("600000");
  Import("");
  const Fields placeholders = Labels();
  // The focus moves to the row while nothing is selected: property 35 reads -1.
  List()->selectionModel()->setCurrentIndex(List()->model()->index(0, 0),
                                            QItemSelectionModel::NoUpdate);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Targets("/q=s_"), (Fields{"/q=s_sh600000", "/q=s_sh"}));
  EXPECT_EQ(Targets("/q=s"), (Fields{"/q=sh"}));
  EXPECT_EQ(Targets("/quotepic/"), (Fields{"/quotepic/10082333/.png"}));
  EXPECT_EQ(Labels(), placeholders);
  EXPECT_EQ(Box().pixel(0, 0), kWhite);
}

TEST_F(MadeToOrderTest, TwoQuickRowChangesGiveTwoCompletePasses) {
  const Fields codes = {"600000", "000001", "600519"};
  // The n-th short answer for a code carries n in each of the five cells.
  auto short_answer = [](const std::string& code, int n) {
    const std::string k = std::to_string(n);
    return "v_s_" + code + "=\"1~N" + k + "~" + code + "~P" + k + "~-~C" + k + "~" + k +
           "0000~-~-~M" + k + "\";\n";
  };
  for (const std::string& code : codes) {
    auto asked = std::make_shared<std::atomic<int>>(0);
    server.Reply("/q=s_" + Exchange(code) + code,
                 [asked, code, short_answer](const test::ReceivedRequest&) {
                   return test::Answer::Parse(Answer(short_answer(code, ++*asked)));
                 });
    Import(code);
  }
  std::map<std::pair<int, int>, Fields> written;  // every value a cell took, in order
  QObject recorder;
  QObject::connect(
      List()->model(), &QAbstractItemModel::dataChanged, &recorder, [&](const QModelIndex& cell) {
        written[{cell.row(), cell.column()}].push_back(cell.data().toString().toStdString());
      });
  ChangeRow(0);
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  // Two passes, interleaved as they like, each in row order: the k-th request
  // for a row comes after the k-th request for the row above it.
  const Fields seen = Targets("/q=s_");
  ASSERT_EQ(seen.size(), 6u);
  std::map<std::string, std::vector<size_t>> at;
  for (size_t i = 0; i < seen.size(); ++i) at[seen[i].substr(7)].push_back(i);
  for (int row = 0; row < 3; ++row) {
    ASSERT_EQ(at[codes[row]].size(), 2u) << codes[row];
    if (row > 0) {
      EXPECT_GT(at[codes[row]], at[codes[row - 1]]) << codes[row];
    }
    // Each pass wrote its own answer into every cell; the cell shows the later write.
    const Fields first = RowOf(Split(short_answer(codes[row], 1)));
    const Fields second = RowOf(Split(short_answer(codes[row], 2)));
    for (int column = 1; column <= 5; ++column) {
      const Fields& values = written[{row, column}];
      ASSERT_EQ(values.size(), 2u) << codes[row] << " column " << column;
      EXPECT_EQ((std::set<std::string>(values.begin(), values.end())),
                (std::set<std::string>{first[column - 1], second[column - 1]}));
      EXPECT_EQ(Row(row)[column - 1], values.back());
    }
  }
}

TEST_F(MadeToOrderTest, TheSameStockAgainIsDownloadedAfreshIntoAnEmptiedBox) {
  Import("600000");
  Import("600000");
  ChangeRow(0);
  server.Reply("/quotepic/10082333/600000.png", Answer(Picture(0)));
  ChangeRow(1);
  ASSERT_TRUE(WaitForPasses());
  EXPECT_EQ(Targets("/quotepic/"),
            (Fields{"/quotepic/10082333/600000.png", "/quotepic/10082333/600000.png"}));
  EXPECT_EQ(BoxModel().objects().size(), 1u);
  EXPECT_EQ(Box().pixel(0, 0), qRgb(0, 0, 200));
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
  EXPECT_EQ(Targets("/q=s"), (Fields{"/q=sz000001", "/q=sh600000"}));
  const Fields outer = Split(Record("600000", 33));
  for (const auto& [field, label] : LabelOfField()) EXPECT_EQ(Label(label), outer[field - 1]);
  EXPECT_EQ(Box().pixel(0, 0), qRgb(200, 0, 200));
}

TEST_F(MadeToOrderTest, AShortRecordWritesWhatItHasAndTheViewerGoesOn) {
  server.Reply("/q=s_sh600000", Answer(Record("600000", 9)));
  server.Reply("/q=sh600000", Answer(Record("600000", 20)));
  Import("600000");
  const Fields placeholders = Labels();
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

// After a good round: a server with nothing but error pages, one that closes
// every connection without a word, and none at all. Rows and labels keep what
// they show, the box is emptied, and the window goes on taking input.
TEST_F(MadeToOrderTest, AFailingSilentOrAbsentServiceChangesNothingButEmptiesTheBox) {
  Import("600000");
  ChangeRow(0);
  ASSERT_TRUE(WaitForPasses());
  const Fields filled = Row(0), labels = Labels();
  ASSERT_EQ(filled[0], "600000:2");
  test::HttpTestServer errors;
  test::RawSocketServer silent({});
  int absent = 0;
  {
    test::RawSocketServer gone({});
    absent = gone.port();
  }
  int rows = 1;
  for (const std::string& base :
       {errors.Url(""), silent.Url(""), "http://127.0.0.1:" + std::to_string(absent)}) {
    UseService(base);
    Import("000001");
    ChangeRow(rows++);
    ASSERT_TRUE(WaitForPasses());
    EXPECT_EQ(Row(0), filled) << base;
    for (int row = 1; row < rows; ++row) EXPECT_EQ(Row(row), Fields(5, "")) << base;
    EXPECT_EQ(Labels(), labels) << base;
    EXPECT_EQ(Box().pixel(0, 0), kWhite) << base;
  }
  EXPECT_EQ(errors.Requests().size(), 4u);  // the quote, the picture, two rows
  EXPECT_EQ(silent.Requests().size(), 5u);  // the quote, the picture, three rows
}

}  // namespace
