// The viewer on a network with a 20 ms round trip: quote-service as a child
// process behind a delay proxy of the benchmark's own (10 ms each way, the
// first bytes of each new connection held one round trip more for the
// handshake that loopback skips). What decides here is how many round trips
// a job takes, not the CPU:
//   RefreshPassRtt       a refresh pass over 50 rows vs 50 raw libcurl GETs of
//                        the same addresses over one kept-alive connection,
//                        opened by the first (the floor);
//   RefreshPassRttFresh  the same pass vs raw libcurl on a fresh connection
//                        per GET (report only);
//   RowChangeRtt         a row change until the chart is in its box vs the same
//                        two downloads by raw libcurl over the kept-alive
//                        connection it already has, plus its PNG decode.
// Each is also printed in milliseconds as "latency NAME MS" lines, with the
// raw figures beside ours (for a row change also raw libcurl opening one
// connection for both downloads, and a fresh one for each), for a comparison
// with a real network.
#include <curl/curl.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "bench/delay_proxy.h"
#include "bench/loopback.h"
#include "bench/ratio_report.h"
#include "bench/viewer_driver.h"
#include "tests/support/service_process.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kOneWay{10};
constexpr int kPassRows = 50;
constexpr int kPassBlocks = 5;
constexpr int kChangeBlocks = 15;
constexpr int kChangesPerBlock = 2;

size_t Append(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// A libcurl easy handle kept across GETs, so its connection stays open
// between them as long as the server keeps it.
class KeptAliveClient {
 public:
  KeptAliveClient() : curl_(curl_easy_init()) {
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
  }
  ~KeptAliveClient() { curl_easy_cleanup(curl_); }
  KeptAliveClient(const KeptAliveClient&) = delete;
  KeptAliveClient& operator=(const KeptAliveClient&) = delete;

  std::string Get(const std::string& url) {
    std::string body;
    curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl_);
    return body;
  }

 private:
  CURL* curl_;
};

double MillisecondsOf(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void ReportLatency(const char* name, double milliseconds) {
  std::printf("latency %s %.1f ms\n", name, milliseconds);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  curl_global_init(CURL_GLOBAL_DEFAULT);
  QApplication application(argc, argv);  // the benchmark flags make bench passes are ignored
  // The windows go before the application object does.
  struct Unload {
    ~Unload() { ui::UnloadAllWindows(); }
  } unload;
  ui::InstallWindowRuntime();
  app::RegisterMainForm();
  app_test::ServiceProcess service;
  bench::DelayProxy proxy(service.port(), kOneWay);
  const std::vector<std::string> codes = bench::MarketCodes(service.Base());
  if (service.port() <= 0 || proxy.port() <= 0 || codes.size() < kPassRows) {
    std::fprintf(stderr, "viewer_rtt_bench: quote-service or the proxy did not start\n");
    return 1;
  }
  bench::PointViewerAt(proxy.Base());

  // The proxy's own figures: one GET on a fresh connection, one on a kept one.
  std::vector<double> fresh_get, kept_get;
  {
    KeptAliveClient client;
    client.Get(bench::ShortQuoteAddress(codes[0]));
    for (int i = 0; i < 5; ++i) {
      fresh_get.push_back(
          MillisecondsOf([&] { bench::CurlGet(bench::ShortQuoteAddress(codes[i])); }));
      kept_get.push_back(MillisecondsOf([&] { client.Get(bench::ShortQuoteAddress(codes[i])); }));
    }
  }
  ReportLatency("FreshGet", bench::Median(fresh_get));
  ReportLatency("KeptAliveGet", bench::Median(kept_get));

  // A pass over 50 rows, interleaved with the two raw ways of the same GETs.
  bench::FillList(codes, kPassRows);
  auto ours_pass = [] {
    app::StartRefreshWorker();
    bench::WaitForPasses();
  };
  auto kept_alive_gets = [&] {
    KeptAliveClient client;
    for (int row = 0; row < kPassRows; ++row) client.Get(bench::ShortQuoteAddress(codes[row]));
  };
  auto fresh_gets = [&] {
    for (int row = 0; row < kPassRows; ++row) bench::CurlGet(bench::ShortQuoteAddress(codes[row]));
  };
  std::vector<double> pass, pass_kept, pass_fresh;
  for (int block = 0; block <= kPassBlocks; ++block) {  // block 0 warms up
    const double ours = MillisecondsOf(ours_pass);
    const double kept = MillisecondsOf(kept_alive_gets);
    const double fresh = MillisecondsOf(fresh_gets);
    if (block == 0) continue;
    pass.push_back(ours);
    pass_kept.push_back(kept);
    pass_fresh.push_back(fresh);
  }
  if (ui::GetCellText(app::kWatchList, kPassRows - 1, 1).empty()) {
    std::fprintf(stderr, "viewer_rtt_bench: the pass wrote no quotes\n");
    return 1;
  }
  bench::ReportRatio("RefreshPassRtt", bench::Median(pass) / bench::Median(pass_kept), 1.1);
  bench::ReportRatio("RefreshPassRttFresh", bench::Median(pass) / bench::Median(pass_fresh), -1);
  ReportLatency("RefreshPass50", bench::Median(pass));
  ReportLatency("RefreshPass50RawKeptAlive", bench::Median(pass_kept));
  ReportLatency("RefreshPass50RawFresh", bench::Median(pass_fresh));

  // A row change until the chart is in its box; the pass it started and the
  // repaints are settled untimed. The raw client keeps its connection from
  // one change to the next, as a client that reuses connections has one open
  // when the user clicks.
  bench::FillList(codes, 2);
  const std::string full = bench::FullQuoteAddress(codes[0]);
  const std::string chart = bench::ChartAddress(codes[0]);
  KeptAliveClient client;
  client.Get(full);
  std::vector<double> change, change_kept, change_one, change_fresh;
  int row = 0;
  for (int block = 0; block <= kChangeBlocks; ++block) {  // block 0 warms up
    double ours = 0, kept = 0, one = 0, fresh = 0;
    for (int call = 0; call < kChangesPerBlock; ++call) {
      ours += MillisecondsOf([&] { bench::ChangeRow(++row % 2); });
      bench::Settle();
      kept += MillisecondsOf([&] {
        client.Get(full);
        bench::DecodePng(client.Get(chart));
      });
      one += MillisecondsOf([&] {
        KeptAliveClient own;
        own.Get(full);
        bench::DecodePng(own.Get(chart));
      });
      fresh += MillisecondsOf([&] {
        bench::CurlGet(full);
        bench::DecodePng(bench::CurlGet(chart));
      });
    }
    if (block == 0) continue;
    change.push_back(ours / kChangesPerBlock);
    change_kept.push_back(kept / kChangesPerBlock);
    change_one.push_back(one / kChangesPerBlock);
    change_fresh.push_back(fresh / kChangesPerBlock);
  }
  if (!bench::ViewerShowsQuotesAndChart()) {
    std::fprintf(stderr, "viewer_rtt_bench: the viewer showed no quotes or no chart\n");
    return 1;
  }
  bench::ReportRatio("RowChangeRtt", bench::Median(change) / bench::Median(change_kept), 1.15);
  ReportLatency("RowChange", bench::Median(change));
  ReportLatency("RowChangeRawKeptAlive", bench::Median(change_kept));
  ReportLatency("RowChangeRawOneConnection", bench::Median(change_one));
  ReportLatency("RowChangeRawFresh", bench::Median(change_fresh));
  return 0;
}
