#include "bench/viewer_driver.h"

#include <png.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/service_addresses.h"
#include "bench/loopback.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/window_registry.h"

namespace bench {
namespace {

ui::ListViewWidget* List() {
  return static_cast<ui::ListViewWidget*>(
      ui::FindLoadedWindow(app::kMainWindow)->FindUnit(app::unit::WatchList)->widget());
}

std::string Exchange(const std::string& code) {
  return code[0] == '0' ? "sz" : "sh";
}

}  // namespace

std::vector<std::string> MarketCodes(const std::string& service_base) {
  std::vector<std::string> codes;
  static const QRegularExpression row(QStringLiteral("<tr><td>(sz0\\d{5}|sh6\\d{5})</td>"));
  auto matches = row.globalMatch(QString::fromLatin1(CurlGet(service_base + "/")));
  while (matches.hasNext()) codes.push_back(matches.next().captured(1).mid(2).toStdString());
  return codes;
}

void PointViewerAt(const std::string& service_base) {
  setenv("QUOTEVIEW_QUOTE_PREFIX", (service_base + "/q=").c_str(), 1);
  setenv("QUOTEVIEW_CHART_PREFIX", (service_base + "/quotepic/10082333/").c_str(), 1);
  app::ReadServiceAddresses();
}

std::string ShortQuoteAddress(const std::string& code) {
  return std::string(app::QuoteServicePrefix()) + "s_" + Exchange(code) + code;
}

std::string FullQuoteAddress(const std::string& code) {
  return std::string(app::QuoteServicePrefix()) + Exchange(code) + code;
}

std::string ChartAddress(const std::string& code) {
  return std::string(app::ChartServicePrefix()) + code + ".png";
}

void FillList(const std::vector<std::string>& codes, int rows) {
  ui::UnloadAllWindows();
  ui::LoadStartWindow(app::kMainWindow);
  for (int row = 0; row < rows; ++row) {
    ui::InsertRow(app::kWatchList, {}, codes[static_cast<size_t>(row) % codes.size()]);
  }
}

void WaitForPasses() {
  if (app::RefreshPassesRunning() == 0) return;
  QEventLoop loop;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (app::RefreshPassesRunning() == 0) loop.quit();
  });
  tick.start(1);
  loop.exec();
}

void ChangeRow(int row) {
  const QModelIndex index = List()->model()->index(row, 0);
  List()->selectionModel()->select(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  List()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void SelectOtherRow() {
  List()->selectionModel()->select(
      List()->model()->index(List()->FirstSelectedRow() == 0 ? 1 : 0, 0),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void Settle() {
  QCoreApplication::processEvents();
  WaitForPasses();
}

bool ViewerShowsQuotesAndChart() {
  const auto& box =
      static_cast<ui::CartoonBoxUnit&>(ui::LookUpUnit(app::kMainWindow, app::unit::ChartBox));
  return box.model().objects().size() == 1 && box.model().objects()[0].picture &&
         !ui::GetCellText(app::kWatchList, 1, 1).empty();
}

std::vector<uint8_t> DecodePng(const std::string& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> pixels;
  if (png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  }
  png_image_free(&image);
  return pixels;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace bench
