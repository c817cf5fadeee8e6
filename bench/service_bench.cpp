// The stand-in quote service against plain cpp-httplib: a short-quote request
// over loopback on a fresh connection each time, to our service and to a
// cpp-httplib server answering a fixed text; and one chart painted and
// encoded against encoding a blank picture of the same size.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "bench/ratio_report.h"
#include "service/chart.h"
#include "service/http_server.h"
#include "service/png_encoder.h"
#include "service/quote_service.h"

namespace {

// 2024-06-07 14:59:00 in Shanghai: nearly a full day of minutes to sum.
constexpr int64_t kLateAfternoon = 1717743540;
constexpr const char* kShortQuery = "/q=s_sh600000";

// One GET with "Connection: close" on a new socket; the bytes received.
size_t FreshGet(int port, const char* path) {
  int sock = socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  size_t received = 0;
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    char request[256];
    int length =
        std::snprintf(request, sizeof request,
                      "GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", path);
    send(sock, request, static_cast<size_t>(length), MSG_NOSIGNAL);
    char buffer[4096];
    for (ssize_t n; (n = recv(sock, buffer, sizeof buffer, 0)) > 0;) received += n;
  }
  close(sock);
  return received;
}

struct Servers {
  service::QuoteService quotes{service::Market::kDefaultSeed, 300,
                               service::ServiceClock(kLateAfternoon)};
  std::FILE* log = std::fopen("/dev/null", "w");
  std::unique_ptr<service::HttpServer> ours;
  httplib::Server baseline;
  int ours_port = 0, baseline_port = 0;
  std::thread ours_thread, baseline_thread;

  Servers() {
    service::ServerSettings settings;
    settings.port = 0;
    ours = std::make_unique<service::HttpServer>(quotes, settings, [this](std::string_view line) {
      std::fwrite(line.data(), 1, line.size(), log);
      std::fflush(log);
    });
    ours_port = ours->Bind();
    ours_thread = std::thread([this] { ours->Run(); });

    // The same bytes as our answer, fixed.
    std::string fixed = quotes.Handle("GET", kShortQuery).body;
    baseline.set_tcp_nodelay(true);
    baseline.Get(kShortQuery, [fixed](const httplib::Request&, httplib::Response& response) {
      response.set_content(fixed, "text/plain; charset=GBK");
    });
    baseline_port = baseline.bind_to_any_port("127.0.0.1");
    baseline_thread = std::thread([this] { baseline.listen_after_bind(); });
    while (!baseline.is_running()) std::this_thread::yield();
  }
  ~Servers() {
    ours->Stop();
    baseline.stop();
    ours_thread.join();
    baseline_thread.join();
    std::fclose(log);
  }
};

Servers& TheServers() {
  static Servers servers;
  return servers;
}

void OursQuote() {
  benchmark::DoNotOptimize(FreshGet(TheServers().ours_port, kShortQuery));
}
void BaselineQuote() {
  benchmark::DoNotOptimize(FreshGet(TheServers().baseline_port, kShortQuery));
}

const service::Stock& ChartStock() {
  static const service::Stock stock = *TheServers().quotes.market().FindCode("600000");
  return stock;
}
void OursChart() {
  service::MarketMoment moment = service::MomentAt(kLateAfternoon);
  benchmark::DoNotOptimize(service::EncodePng(service::PaintChart(ChartStock(), moment)).size());
}
void BlankChart() {
  QImage blank(service::kChartWidth, service::kChartHeight, QImage::Format_RGB32);
  blank.fill(Qt::white);
  benchmark::DoNotOptimize(service::EncodePng(blank).size());
}

void BM_ServiceShortQuote(benchmark::State& state) {
  for (auto _ : state) OursQuote();
}
void BM_FixedTextQuote(benchmark::State& state) {
  for (auto _ : state) BaselineQuote();
}
void BM_ServiceChart(benchmark::State& state) {
  for (auto _ : state) OursChart();
}
void BM_BlankChartEncode(benchmark::State& state) {
  for (auto _ : state) BlankChart();
}
BENCHMARK(BM_ServiceShortQuote)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FixedTextQuote)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServiceChart)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlankChartEncode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication application(qt_argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  bench::ReportRatio("ServiceQuote", bench::TimePaired(OursQuote, BaselineQuote, 41, 20).Ratio(),
                     1.2);
  bench::ReportRatio("ServiceChart", bench::TimePaired(OursChart, BlankChart, 15, 5).Ratio(), -1);
  return 0;
}
