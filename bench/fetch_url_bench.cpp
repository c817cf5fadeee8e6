// FetchUrl of a 50 KB chart picture, and a plain WinHTTP-layer GET of a
// 200-byte answer, each against libcurl with a fresh easy handle per request
// (no connection reuse, like our callers), all on one loopback server.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>
#include <malloc.h>
#include <png.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/ratio_report.h"
#include "platform/winhttp.h"
#include "runtime/fetch_url.h"

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

struct LoopbackServer {
  httplib::Server server;
  std::thread thread;
  int port = 0;
  std::string picture = NoisePng();
  std::string answer = std::string(200, 'q');

  LoopbackServer() {
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(100000);
    server.Get("/chart.png", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(picture, "image/png");
    });
    server.Get("/q", [this](const httplib::Request&, httplib::Response& response) {
      response.set_content(answer, "text/plain");
    });
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackServer() {
    server.stop();
    thread.join();
  }
  std::string Url(const char* path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
};

LoopbackServer& Server() {
  static LoopbackServer server;
  return server;
}

size_t Append(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

std::string CurlGet(const std::string& url) {
  std::string body;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return body;
}

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
  for (auto _ : state) benchmark::DoNotOptimize(WinHttpGet(u"127.0.0.1", Server().port, u"/q"));
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
  // Fixed allocator thresholds for both sides: otherwise whichever side
  // happens to push the heap top past glibc's trim threshold pays page faults
  // on every call, and the ratio measures heap layout instead of code.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  LoopbackServer& server = Server();
  std::string picture_url = server.Url("/chart.png");
  std::string answer_url = server.Url("/q");
  if (rt::FetchUrl(picture_url.c_str()).size() != static_cast<int32_t>(server.picture.size()) ||
      WinHttpGet(u"127.0.0.1", server.port, u"/q") != server.answer) {
    std::fprintf(stderr, "fetch_url_bench: a request did not bring back its body\n");
    return 1;
  }
  auto picture =
      bench::TimePaired([&] { benchmark::DoNotOptimize(rt::FetchUrl(picture_url.c_str())); },
                        [&] { benchmark::DoNotOptimize(CurlGet(picture_url)); }, 61, 10);
  bench::ReportRatio("FetchUrl", picture.Ratio(), 1.2);
  auto get = bench::TimePaired(
      [&] { benchmark::DoNotOptimize(WinHttpGet(u"127.0.0.1", server.port, u"/q")); },
      [&] { benchmark::DoNotOptimize(CurlGet(answer_url)); }, 61, 10);
  bench::ReportRatio("WinHttpGet200", get.Ratio(), -1);
  rt::CloseInternetSession();
  return 0;
}
