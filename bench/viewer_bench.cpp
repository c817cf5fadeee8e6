// The viewer's own jobs against what the raw libraries need for the same
// work, with quote-service as a child process on a loopback port:
//   RefreshPass   one refresh pass over 1,000 rows, the window thread serving
//                 the worker, vs 1,000 libcurl GETs of the same addresses;
//   RowChange     a row change until its handler has placed the new chart in
//                 the box (the order book written, the pass started) vs libcurl
//                 GETs of the full quote and the picture plus a libpng decode;
//                 the window's repaint, Qt's own work (some 0.3 ms for twenty
//                 labels here, the same for any Qt program), runs untimed after
//                 each change, and so does the rest of the pass it started;
//   MemoryGrowth  resident megabytes after 1,000 row changes over a 100-row
//                 list minus those after the first 10 (each pass waited for).
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <png.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/service_addresses.h"
#include "app/stock_details.h"
#include "bench/loopback.h"
#include "bench/ratio_report.h"
#include "tests/support/service_process.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"

namespace {

using bench::CurlGet;
using Service = app_test::ServiceProcess;

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

std::string ShortAddress(const std::string& code) {
  return app::QuoteServicePrefix() + std::string(code[0] == '0' ? "s_sz" : "s_sh") + code;
}

// Codes of the service's market that the viewer's exchange rule reaches
// (Shenzhen codes starting with 0, Shanghai ones with 6), from its index page.
std::vector<std::string> MarketCodes(const Service& service) {
  std::vector<std::string> codes;
  static const QRegularExpression row(QStringLiteral("<tr><td>(sz0\\d{5}|sh6\\d{5})</td>"));
  auto matches = row.globalMatch(QString::fromLatin1(CurlGet(service.Base() + "/")));
  while (matches.hasNext()) codes.push_back(matches.next().captured(1).mid(2).toStdString());
  return codes;
}

QWidget* Widget(int32_t unit) {
  return ui::FindLoadedWindow(app::kMainWindow)->FindUnit(unit)->widget();
}

// A fresh main window whose list holds `rows` codes.
void FillList(const std::vector<std::string>& codes, int rows) {
  ui::UnloadAllWindows();
  ui::LoadStartWindow(app::kMainWindow);
  for (int row = 0; row < rows; ++row) {
    ui::InsertRow(app::kWatchList, {}, codes[static_cast<size_t>(row) % codes.size()]);
  }
}

// Serves the workers from an event loop until none is left, then takes their
// last posted writes.
void WaitForPasses() {
  if (app::RefreshPassesRunning() > 0) {
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (app::RefreshPassesRunning() == 0) loop.quit();
    });
    tick.start(1);
    loop.exec();
  }
  QCoreApplication::sendPostedEvents();
}

int row_change = 0;

// Selects the row and makes it current, as a click does: the handler runs
// now and returns with the chart in the box.
void ChangeRow(int row) {
  auto* list = static_cast<ui::ListViewWidget*>(Widget(app::unit::WatchList));
  const QModelIndex index = list->model()->index(row, 0);
  list->selectionModel()->select(index,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

// The repaint and the rest of the pass a change started.
void Settle() {
  QCoreApplication::processEvents();
  WaitForPasses();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// `change(row)` alternating between two rows, interleaved in blocks with the
// baseline; each change is timed on its own and settled untimed.
bench::PairedTiming TimeRowChanges(const std::function<void(int row)>& change,
                                   const std::function<void()>& baseline, int blocks, int calls) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> ours, theirs;
  for (int block = 0; block <= blocks; ++block) {  // block 0 warms up
    double ours_ns = 0;
    for (int call = 0; call < calls; ++call) {
      const Clock::time_point start = Clock::now();
      change(++row_change % 2);
      ours_ns += std::chrono::duration<double, std::nano>(Clock::now() - start).count();
      Settle();
    }
    const Clock::time_point start = Clock::now();
    for (int call = 0; call < calls; ++call) baseline();
    const double theirs_ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    if (block == 0) continue;
    ours.push_back(ours_ns / calls);
    theirs.push_back(theirs_ns / calls);
  }
  return {Median(ours), Median(theirs)};
}

bool ChartShown() {
  const auto& box =
      static_cast<ui::CartoonBoxUnit&>(ui::LookUpUnit(app::kMainWindow, app::unit::ChartBox));
  return box.model().objects().size() == 1 && box.model().objects()[0].picture;
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return -1;
}

std::vector<std::string>* bench_codes = nullptr;

void BM_RefreshPass1000(benchmark::State& state) {
  FillList(*bench_codes, 1000);
  for (auto _ : state) {
    app::StartRefreshWorker();
    WaitForPasses();
  }
}
void BM_CurlGets1000(benchmark::State& state) {
  for (auto _ : state) {
    for (int row = 0; row < 1000; ++row) {
      benchmark::DoNotOptimize(CurlGet(ShortAddress((*bench_codes)[row % bench_codes->size()])));
    }
  }
}
void BM_RowChange(benchmark::State& state) {
  FillList(*bench_codes, 2);
  for (auto _ : state) {
    ChangeRow(++row_change % 2);
    state.PauseTiming();
    Settle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RefreshPass1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CurlGets1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RowChange)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::Initialize(&argc, argv);
  QApplication application(argc, argv);
  // The windows go before the application object does.
  struct Unload {
    ~Unload() { ui::UnloadAllWindows(); }
  } unload;
  ui::InstallWindowRuntime();
  Service service;
  std::vector<std::string> codes = MarketCodes(service);
  if (service.port() <= 0 || codes.size() < 100) {
    std::fprintf(stderr, "viewer_bench: quote-service did not start\n");
    return 1;
  }
  bench_codes = &codes;
  setenv("QUOTEVIEW_QUOTE_PREFIX", (service.Base() + "/q=").c_str(), 1);
  setenv("QUOTEVIEW_CHART_PREFIX", (service.Base() + "/quotepic/10082333/").c_str(), 1);
  app::ReadServiceAddresses();
  app::RegisterMainForm();

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // A pass that writes nothing, or a row change that shows no chart, would
  // make the ratios meaningless.
  FillList(codes, 2);
  ChangeRow(0);
  Settle();
  if (!ChartShown() || ui::GetCellText(app::kWatchList, 1, 1).empty()) {
    std::fprintf(stderr, "viewer_bench: the viewer showed no quotes or no chart\n");
    return 1;
  }

  FillList(codes, 1000);
  auto pass = bench::TimePaired(
      [] {
        app::StartRefreshWorker();
        WaitForPasses();
      },
      [&] {
        for (int row = 0; row < 1000; ++row) {
          benchmark::DoNotOptimize(CurlGet(ShortAddress(codes[row % codes.size()])));
        }
      },
      7, 1);
  bench::ReportRatio("RefreshPass", pass.Ratio(), 1.5);

  FillList(codes, 2);
  const std::string full =
      app::QuoteServicePrefix() + std::string(codes[0][0] == '0' ? "sz" : "sh") + codes[0];
  const std::string chart = app::ChartServicePrefix() + codes[0] + ".png";
  auto downloads = [&] {
    benchmark::DoNotOptimize(CurlGet(full));
    benchmark::DoNotOptimize(DecodePng(CurlGet(chart)));
  };
  auto change = TimeRowChanges(ChangeRow, downloads, 31, 10);
  bench::ReportRatio("RowChange", change.Ratio(), 1.5);
  // The same without the pass the change starts beside it (whose two requests
  // and list repaint share the machine with the handler): the handler's own
  // order book and chart steps, for comparison.
  auto details = TimeRowChanges(
      [&](int row) {
        app::ShowOrderBook(codes[row].c_str());
        app::ShowChart(codes[row].c_str());
      },
      downloads, 31, 10);
  bench::ReportRatio("RowChangeDetailsOnly", details.Ratio(), -1);

  FillList(codes, 100);
  double after_ten = 0;
  for (int i = 1; i <= 1000; ++i) {
    ChangeRow(i % 100);
    Settle();
    if (i == 10) after_ten = ResidentMegabytes();
  }
  bench::ReportRatio("MemoryGrowth", ResidentMegabytes() - after_ten, 2);
  return 0;
}
