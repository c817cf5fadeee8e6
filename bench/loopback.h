// Shared by the network benchmarks: the raw-libcurl baseline and a loopback
// cpp-httplib server with fixed answers.
#pragma once

#include <httplib.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace bench {

// One GET with a fresh easy handle, so a fresh connection every time,
// appending into a body that may be reserved up front.
std::string CurlGet(const std::string& url, size_t reserve = 0);

// GETs over one easy handle kept from one request to the next, so that its
// connection stays open between them: what a client that keeps connections
// alive costs at least. `header_lines` ("Name: value" each) go out with every
// request, so that the server has the same request to read as from the code
// compared with it.
class CurlKeptAlive {
 public:
  explicit CurlKeptAlive(const std::vector<std::string>& header_lines = {});
  ~CurlKeptAlive();
  CurlKeptAlive(const CurlKeptAlive&) = delete;
  CurlKeptAlive& operator=(const CurlKeptAlive&) = delete;

  std::string Get(const std::string& url, size_t reserve = 0);

 private:
  void* curl_;         // CURL*
  void* header_list_;  // curl_slist*
};

// Sets libcurl up once, keeps the process on one CPU and fixes the
// allocator's thresholds for both sides of a comparison: otherwise whichever
// side pushes the heap top past glibc's trim threshold pays page faults on
// every call, and the ratio measures heap layout instead of code. Call it
// before any thread starts.
void PrepareNetworkTiming();

// Serves each path's fixed body on 127.0.0.1, any free port.
class LoopbackServer {
 public:
  struct Answer {
    std::string body;
    std::string content_type;
  };
  explicit LoopbackServer(std::map<std::string, Answer> answers);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  const std::string& Body(const std::string& path) const { return answers_.at(path).body; }

 private:
  const std::map<std::string, Answer> answers_;
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace bench
