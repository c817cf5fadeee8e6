// FetchUrl of a 50 KB chart picture, and a plain WinHTTP-layer GET of a
// 200-byte answer, on one loopback server. FetchUrl asks in HTTP/1.0 without
// keep-alive, so every fetch has a connection of its own, and is compared with
// libcurl using a fresh easy handle per request. The WinHTTP layer keeps
// connections between requests: its GET is compared with libcurl keeping one
// connection too (WinHttpGet200KeptAlive) and, as before it kept them, with
// a fresh handle per request (WinHttpGet200).
#include <benchmark/benchmark.h>
#include <png.h>

#include <random>
#include <string>
#include <vector>

#include "bench/loopback.h"
#include "bench/ratio_report.h"
#include "runtime/fetch_url.h"
#include "winhttp.h"

namespace {

// Random pixels do not compress, so 128 x 128 RGB makes a picture of about 50 KB.
std::string NoisePng() {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 128;
  image.height = 128;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(128 * 128 * 3);
  std::mt19937 random(7);
  for (unsigned char& byte : pixels) byte = static_cast<unsigned char>(random());
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::string png(size, '\0');
  png_image_write_to_memory(&image, png.data(), &size, 0, pixels.data(), 0, nullptr);
  png.resize(size);
  return png;
}

bench::LoopbackServer& Server() {
  static bench::LoopbackServer server(
      {{"/chart.png", {NoisePng(), "image/png"}}, {"/q", {std::string(200, 'q'), "text/plain"}}});
  return server;
}

using bench::CurlGet;
using bench::CurlKeptAlive;

// The request routine's sequence of WinHTTP calls for a GET, without the
// routine's own text work around it.
std::string WinHttpGet(const std::u16string& host, INTERNET_PORT port, const char16_t* object) {
  std::string body;
  HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  HINTERNET connection = WinHttpConnect(session, host.c_str(), port, 0);
  HINTERNET request = WinHttpOpenRequest(connection, u"GET", object, nullptr, nullptr, nullptr, 0);
  WinHttpSetTimeouts(request, 30000, 30000, 30000, 30000);
  if (WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
      WinHttpReceiveResponse(request, nullptr)) {
    DWORD available = 0;
    while (WinHttpQueryDataAvailable(request, &available) && available > 0) {
      std::vector<char> buffer(available);
      DWORD read = 0;
      if (!WinHttpReadData(request, buffer.data(), available, &read)) break;
      body.append(buffer.data(), read);
    }
  }
  WinHttpCloseHandle(request);
  WinHttpCloseHandle(connection);
  WinHttpCloseHandle(session);
  return body;
}

void BM_FetchUrlPicture(benchmark::State& state) {
  std::string url = Server().Url("/chart.png");
  for (auto _ : state) benchmark::DoNotOptimize(rt::FetchUrl(url.c_str()));
}
void BM_CurlPicture(benchmark::State& state) {
  std::string url = Server().Url("/chart.png");
  for (auto _ : state) benchmark::DoNotOptimize(CurlGet(url));
}
void BM_WinHttpGet200(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(WinHttpGet(u"127.0.0.1", Server().port(), u"/q"));
}
void BM_CurlGet200(benchmark::State& state) {
  std::string url = Server().Url("/q");
  for (auto _ : state) benchmark::DoNotOptimize(CurlGet(url));
}
BENCHMARK(BM_FetchUrlPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WinHttpGet200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlGet200)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  bench::PrepareNetworkTiming();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  bench::LoopbackServer& server = Server();
  std::string picture_url = server.Url("/chart.png");
  std::string answer_url = server.Url("/q");
  if (rt::FetchUrl(picture_url.c_str()).size() !=
          static_cast<int32_t>(server.Body("/chart.png").size()) ||
      WinHttpGet(u"127.0.0.1", server.port(), u"/q") != server.Body("/q")) {
    std::fprintf(stderr, "fetch_url_bench: a request did not bring back its body\n");
    return 1;
  }
  auto picture =
      bench::TimePaired([&] { benchmark::DoNotOptimize(rt::FetchUrl(picture_url.c_str())); },
                        [&] { benchmark::DoNotOptimize(CurlGet(picture_url)); }, 61, 10);
  bench::ReportRatio("FetchUrl", picture.Ratio(), 1.2);
  auto get = bench::TimePaired(
      [&] { benchmark::DoNotOptimize(WinHttpGet(u"127.0.0.1", server.port(), u"/q")); },
      [&] { benchmark::DoNotOptimize(CurlGet(answer_url)); }, 61, 10);
  bench::ReportRatio("WinHttpGet200", get.Ratio(), -1);
  CurlKeptAlive kept_alive({"Connection: Keep-Alive"});  // as the WinHTTP layer sends
  auto kept_get = bench::TimePaired(
      [&] { benchmark::DoNotOptimize(WinHttpGet(u"127.0.0.1", server.port(), u"/q")); },
      [&] { benchmark::DoNotOptimize(kept_alive.Get(answer_url)); }, 61, 10);
  bench::ReportRatio("WinHttpGet200KeptAlive", kept_get.Ratio(), -1);
  rt::CloseInternetSession();
  return 0;
}
