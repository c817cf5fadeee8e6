// Shared by the service tests: an in-process service on an ephemeral loopback
// port, raw socket requests, the viewer's way of splitting a record, PNG
// decoding with libpng.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "service/http_server.h"
#include "service/quote_service.h"

namespace service_test {

// 2024-06-07, a Friday, 14:10:00 in Shanghai: well into the afternoon session.
constexpr int64_t kAfternoon = 1717740600;

class RunningService {
 public:
  explicit RunningService(int64_t clock = kAfternoon, uint64_t seed = 7, int latency_ms = 0);
  ~RunningService();

  int port() const { return port_; }
  const service::QuoteService& quotes() const { return quotes_; }
  // The log so far, once it holds `count` lines or two seconds have passed:
  // a line is written after its answer has gone out.
  std::vector<std::string> LogLines(size_t count) const;

 private:
  service::QuoteService quotes_;
  std::unique_ptr<service::HttpServer> server_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  int port_ = -1;
  mutable std::mutex log_mutex_;
  std::vector<std::string> log_;
};

struct Reply {
  int status = 0;  // 0 when the connection closed without an answer
  std::string content_type;
  std::string body;
};

// GET over a fresh loopback connection.
Reply Get(int port, const std::string& path);

// Sends raw bytes on a new connection, ends the sending side, and returns
// whatever comes back until the server closes or two seconds pass.
std::string SendRaw(int port, std::string_view bytes);

// The answer split at every "~", the way the viewer splits it: an empty answer
// has no fields and a trailing empty piece after a final "~" is not counted.
std::vector<std::string> SplitFields(const std::string& answer);

double ToNumber(const std::string& field);

// GBK to UTF-8 with Qt's decoder, independent of the service's converter.
std::string GbkToUtf8(const std::string& gbk);

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};
// False when libpng refuses the bytes.
bool DecodePng(const std::string& png, Picture& picture);

}  // namespace service_test
