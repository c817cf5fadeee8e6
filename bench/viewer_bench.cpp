// The viewer's own jobs against what the raw libraries need for the same
// work, with quote-service as a child process on a loopback port:
//   RefreshPass   one refresh pass over 1,000 rows, the window thread serving
//                 the worker, vs 1,000 libcurl GETs of the same addresses;
//   RowChange     a row change until its handler has placed the new chart in
//                 the box (the order book written, the pass started) vs libcurl
//                 GETs of the full quote and the picture plus a libpng decode.
//                 The list repaints the change of selection inside the handler,
//                 at the first pending-events pump of its quote request, as any
//                 Qt program repaints a selection it reacts to, so the baseline
//                 repaints the same change of selection once too. The labels'
//                 and the chart's repaints and the rest of the pass run untimed
//                 after each change;
//   MemoryGrowth  resident megabytes after 1,000 row changes over a 100-row
//                 list minus those after the first 10 (each pass waited for).
// Each measurement has a service of its own on a fresh port: the thousands of
// connections an earlier one closed wait out their TIME_WAIT towards the old
// port, where they would slow every new connection's choice of a local port.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/stock_details.h"
#include "bench/loopback.h"
#include "bench/ratio_report.h"
#include "bench/viewer_driver.h"
#include "tests/support/service_process.h"
#include "ui/form_loader.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"

namespace {

using bench::CurlGet;
using Service = app_test::ServiceProcess;

// A service on a fresh port, with the viewer pointed at it.
std::unique_ptr<Service> FreshService() {
  auto service = std::make_unique<Service>();
  bench::PointViewerAt(service->Base());
  return service;
}

int row_change = 0;

// `change(row)` alternating between two rows, interleaved in blocks with the
// baseline; each change is timed on its own and settled untimed. `calls` is
// even, so a baseline that moves the selection once per call leaves it where
// the changes put it.
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
      bench::Settle();
    }
    const Clock::time_point start = Clock::now();
    for (int call = 0; call < calls; ++call) baseline();
    const double theirs_ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    if (block == 0) continue;
    ours.push_back(ours_ns / calls);
    theirs.push_back(theirs_ns / calls);
  }
  return {bench::Median(ours), bench::Median(theirs)};
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
  bench::FillList(*bench_codes, 1000);
  for (auto _ : state) {
    app::StartRefreshWorker();
    bench::WaitForPasses();
  }
}
void BM_CurlGets1000(benchmark::State& state) {
  for (auto _ : state) {
    for (int row = 0; row < 1000; ++row) {
      benchmark::DoNotOptimize(
          CurlGet(bench::ShortQuoteAddress((*bench_codes)[row % bench_codes->size()])));
    }
  }
}
void BM_RowChange(benchmark::State& state) {
  bench::FillList(*bench_codes, 2);
  for (auto _ : state) {
    bench::ChangeRow(++row_change % 2);
    state.PauseTiming();
    bench::Settle();
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
  app::RegisterMainForm();
  std::unique_ptr<Service> service = FreshService();
  std::vector<std::string> codes = bench::MarketCodes(service->Base());
  if (service->port() <= 0 || codes.size() < 100) {
    std::fprintf(stderr, "viewer_bench: quote-service did not start\n");
    return 1;
  }
  bench_codes = &codes;

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  // A pass that writes nothing, or a row change that shows no chart, would
  // make the ratios meaningless.
  bench::FillList(codes, 2);
  bench::ChangeRow(0);
  bench::Settle();
  if (!bench::ViewerShowsQuotesAndChart()) {
    std::fprintf(stderr, "viewer_bench: the viewer showed no quotes or no chart\n");
    return 1;
  }

  service = FreshService();
  bench::FillList(codes, 1000);
  auto pass = bench::TimePaired(
      [] {
        app::StartRefreshWorker();
        bench::WaitForPasses();
      },
      [&] {
        for (int row = 0; row < 1000; ++row) {
          benchmark::DoNotOptimize(CurlGet(bench::ShortQuoteAddress(codes[row % codes.size()])));
        }
      },
      7, 1);
  bench::ReportRatio("RefreshPass", pass.Ratio(), 1.5);

  service = FreshService();
  bench::FillList(codes, 2);
  const std::string full = bench::FullQuoteAddress(codes[0]);
  const std::string chart = bench::ChartAddress(codes[0]);
  auto downloads = [&] {
    benchmark::DoNotOptimize(CurlGet(full));
    benchmark::DoNotOptimize(bench::DecodePng(CurlGet(chart)));
  };
  auto change = TimeRowChanges(
      bench::ChangeRow,
      [&] {
        downloads();
        bench::SelectOtherRow();
        QCoreApplication::processEvents();
      },
      31, 10);
  bench::ReportRatio("RowChange", change.Ratio(), 1.5);
  // The same without the pass the change starts beside it (whose two requests
  // and list repaint share the machine with the handler) and without the
  // selection's repaint: the handler's own order book and chart steps, for
  // comparison.
  auto details = TimeRowChanges(
      [&](int row) {
        app::ShowOrderBook(codes[row].c_str());
        app::ShowChart(codes[row].c_str());
      },
      downloads, 31, 10);
  bench::ReportRatio("RowChangeDetailsOnly", details.Ratio(), -1);

  service = FreshService();
  bench::FillList(codes, 100);
  double after_ten = 0;
  for (int i = 1; i <= 1000; ++i) {
    bench::ChangeRow(i % 100);
    bench::Settle();
    if (i == 10) after_ten = ResidentMegabytes();
  }
  bench::ReportRatio("MemoryGrowth", ResidentMegabytes() - after_ten, 2);
  return 0;
}
