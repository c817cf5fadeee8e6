#include "bench/loopback.h"

#include <curl/curl.h>
#include <malloc.h>
#include <sched.h>

#include <chrono>

#include "net_test_seams.h"

namespace bench {
namespace {

size_t Append(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

std::string CurlGet(const std::string& url, size_t reserve) {
  std::string body;
  body.reserve(reserve);
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return body;
}

CurlKeptAlive::CurlKeptAlive(const std::vector<std::string>& header_lines)
    : curl_(curl_easy_init()), header_list_(nullptr) {
  curl_slist* list = nullptr;
  for (const std::string& line : header_lines) list = curl_slist_append(list, line.c_str());
  header_list_ = list;
  curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
}

CurlKeptAlive::~CurlKeptAlive() {
  curl_easy_cleanup(curl_);
  curl_slist_free_all(static_cast<curl_slist*>(header_list_));
}

std::string CurlKeptAlive::Get(const std::string& url, size_t reserve) {
  std::string body;
  body.reserve(reserve);
  curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(curl_);
  return body;
}

void PrepareNetworkTiming() {
  // This thread and every thread it starts later (the servers' among them)
  // run on one CPU: a loopback round trip is then the same hand-off for both
  // sides of a comparison, not whichever wake-up across CPUs the scheduler
  // picks, which on these virtual machines swings a 30 µs request severalfold.
  cpu_set_t one_cpu;
  CPU_ZERO(&one_cpu);
  CPU_SET(sched_getcpu(), &one_cpu);
  sched_setaffinity(0, sizeof one_cpu, &one_cpu);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

LoopbackServer::LoopbackServer(std::map<std::string, Answer> answers)
    : answers_(std::move(answers)) {
  server_.set_tcp_nodelay(true);
  server_.set_keep_alive_max_count(100000);
  for (const auto& [path, answer] : answers_) {
    server_.Get(path, [&answer](const httplib::Request&, httplib::Response& response) {
      response.set_content(answer.body, answer.content_type);
    });
  }
  port_ = server_.bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer() {
  // The server's threads wait for kept connections to close before it stops.
  platform::CloseIdleConnectionsForTests();
  server_.stop();
  thread_.join();
}

}  // namespace bench
