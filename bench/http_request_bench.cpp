// HttpRequest against raw libcurl on one loopback server: a GET of a 200-byte
// answer, and a 10 MB body that libcurl appends into a buffer reserved up
// front, with the peak memory each side needs for it. The routine's requests
// go out on connections the platform keeps open between calls, so the small
// GET is compared twice: with libcurl keeping one connection alive as well and
// sending the routine's default header lines (HttpRequestKeptAlive, like for
// like), and with a fresh libcurl handle and connection per request and
// libcurl's own minimal headers (HttpRequest, the comparison made before the
// platform kept connections).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/loopback.h"
#include "bench/ratio_report.h"
#include "http/http_request.h"

namespace {

constexpr size_t kLargeSize = 10 << 20;

// The large body is built once, in place: a freed copy of it would leave
// resident heap that the memory measurement's child could reuse unseen.
bench::LoopbackServer& Server() {
  static bench::LoopbackServer server([] {
    std::map<std::string, bench::LoopbackServer::Answer> answers;
    answers.emplace("/q", bench::LoopbackServer::Answer{std::string(200, 'q'), "text/plain"});
    answers.emplace("/large",
                    bench::LoopbackServer::Answer{std::string(kLargeSize, 'L'), "text/plain"});
    return answers;
  }());
  return server;
}

using bench::CurlGet;
using bench::CurlKeptAlive;

// The lines the routine sends on a plain GET besides Host.
const std::vector<std::string> kRoutineHeaderLines = {
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
    "Accept: text/html, application/xhtml+xml, */*",
    "Accept-Encoding: gbk, GB2312",
    "Accept-Language: zh-cn",
    "Cache-Control: no-cache",
    "Connection: Keep-Alive",
};

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field)) return std::atol(line.c_str() + std::strlen(field));
  }
  return 0;
}

// The peak resident memory above the starting point while `job` runs once,
// measured in a child process so that neither side inherits the other's heap
// high-water mark. Large blocks are mapped on their own there, so a block
// shows up in the peak instead of hiding in pages an earlier one left behind.
double PeakExtraMegabytes(const std::function<void()>& warm_up, const std::function<void()>& job) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    warm_up();
    long before = StatusKilobytes("VmRSS:");
    // "5" resets the high-water mark to the current resident size.
    int clear = open("/proc/self/clear_refs", O_WRONLY);
    if (clear >= 0 && write(clear, "5", 1) == 1) close(clear);
    job();
    long extra = StatusKilobytes("VmHWM:") - before;
    (void)!write(pipe_ends[1], &extra, sizeof extra);
    _exit(0);
  }
  close(pipe_ends[1]);
  long extra = -1024;
  if (read(pipe_ends[0], &extra, sizeof extra) != sizeof extra) extra = -1024;
  close(pipe_ends[0]);
  waitpid(child, nullptr, 0);
  return extra / 1024.0;
}

void BM_HttpRequest200(benchmark::State& state) {
  std::string url = Server().Url("/q");
  for (auto _ : state) benchmark::DoNotOptimize(http::HttpRequest(url));
}
void BM_Curl200(benchmark::State& state) {
  std::string url = Server().Url("/q");
  for (auto _ : state) benchmark::DoNotOptimize(CurlGet(url));
}
void BM_CurlKeptAlive200(benchmark::State& state) {
  std::string url = Server().Url("/q");
  CurlKeptAlive curl(kRoutineHeaderLines);
  for (auto _ : state) benchmark::DoNotOptimize(curl.Get(url));
}
void BM_HttpRequestLarge(benchmark::State& state) {
  std::string url = Server().Url("/large");
  for (auto _ : state) benchmark::DoNotOptimize(http::HttpRequest(url));
}
void BM_CurlLargeReserved(benchmark::State& state) {
  std::string url = Server().Url("/large");
  for (auto _ : state) benchmark::DoNotOptimize(CurlGet(url, kLargeSize));
}
BENCHMARK(BM_HttpRequest200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Curl200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlKeptAlive200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HttpRequestLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlLargeReserved)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bench::PrepareNetworkTiming();
  benchmark::Initialize(&argc, argv);
  bench::LoopbackServer& server = Server();
  std::string small_url = server.Url("/q");
  std::string large_url = server.Url("/large");
  // Memory first, from a heap that no timed run has filled with free blocks
  // a child could reuse unseen.
  auto warm_up = [&] { benchmark::DoNotOptimize(http::HttpRequest(small_url)); };
  double ours = PeakExtraMegabytes(warm_up, [&] {
    rt::Text text = http::HttpRequest(large_url);
    benchmark::DoNotOptimize(text);
  });
  double baseline = PeakExtraMegabytes([&] { benchmark::DoNotOptimize(CurlGet(small_url)); },
                                       [&] {
                                         std::string body = CurlGet(large_url, kLargeSize);
                                         benchmark::DoNotOptimize(body);
                                       });
  // Megabytes above the start, ours then the baseline's, for a 10 MB body.
  std::printf("memory LargeBody %.1f %.1f\n", ours, baseline);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (http::HttpRequest(small_url).view() != server.Body("/q") ||
      http::HttpRequest(large_url).view() != server.Body("/large")) {
    std::fprintf(stderr, "http_request_bench: a request did not bring back its body\n");
    return 1;
  }
  CurlKeptAlive kept_alive(kRoutineHeaderLines);
  auto small_kept =
      bench::TimePaired([&] { benchmark::DoNotOptimize(http::HttpRequest(small_url)); },
                        [&] { benchmark::DoNotOptimize(kept_alive.Get(small_url)); }, 61, 10);
  bench::ReportRatio("HttpRequestKeptAlive", small_kept.Ratio(), 1.3);
  auto small = bench::TimePaired([&] { benchmark::DoNotOptimize(http::HttpRequest(small_url)); },
                                 [&] { benchmark::DoNotOptimize(CurlGet(small_url)); }, 61, 10);
  bench::ReportRatio("HttpRequest", small.Ratio(), 1.3);
  auto large =
      bench::TimePaired([&] { benchmark::DoNotOptimize(http::HttpRequest(large_url)); },
                        [&] { benchmark::DoNotOptimize(CurlGet(large_url, kLargeSize)); }, 21, 3);
  bench::ReportRatio("LargeBody", large.Ratio(), 1.5);
  return 0;
}
