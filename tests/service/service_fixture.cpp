#include "tests/service/service_fixture.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <png.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QStringDecoder>

#include <cstdlib>

namespace service_test {

RunningService::RunningService(int64_t clock, uint64_t seed, int latency_ms)
    : quotes_(seed, 300, service::ServiceClock(clock)) {
  service::ServerSettings settings;
  settings.port = 0;
  settings.latency_ms = latency_ms;
  server_ = std::make_unique<service::HttpServer>(quotes_, settings, [this](std::string_view line) {
    std::lock_guard lock(log_mutex_);
    log_.emplace_back(line);
  });
  port_ = server_->Bind();
  thread_ = std::thread([this] {
    server_->Run();
    finished_ = true;
  });
  while (!server_->IsRunning() && !finished_) std::this_thread::yield();
}

RunningService::~RunningService() {
  server_->Stop();
  thread_.join();
}

std::vector<std::string> RunningService::LogLines(size_t count) const {
  for (int waited = 0; waited < 2000; ++waited) {
    {
      std::lock_guard lock(log_mutex_);
      if (log_.size() >= count) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::lock_guard lock(log_mutex_);
  return log_;
}

Reply Get(int port, const std::string& path) {
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(false);
  client.set_connection_timeout(2);
  client.set_read_timeout(5);
  httplib::Result result = client.Get(path.c_str());
  if (!result) return {};
  return {result->status, result->get_header_value("Content-Type"), result->body};
}

std::string SendRaw(int port, std::string_view bytes) {
  int sock = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(sock, SHUT_WR);  // nothing more is coming: no waiting for a timeout
    pollfd readable{sock, POLLIN, 0};
    char buffer[4096];
    while (poll(&readable, 1, 2000) > 0) {
      ssize_t n = recv(sock, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      reply.append(buffer, static_cast<size_t>(n));
    }
  }
  close(sock);
  return reply;
}

std::vector<std::string> SplitFields(const std::string& answer) {
  std::vector<std::string> fields;
  if (answer.empty()) return fields;
  size_t start = 0;
  while (true) {
    size_t tilde = answer.find('~', start);
    if (tilde == std::string::npos) {
      if (start < answer.size()) fields.push_back(answer.substr(start));
      return fields;
    }
    fields.push_back(answer.substr(start, tilde - start));
    start = tilde + 1;
  }
}

double ToNumber(const std::string& field) {
  char* end = nullptr;
  double value = std::strtod(field.c_str(), &end);
  return end != field.c_str() && *end == '\0' ? value : -1e300;
}

std::string GbkToUtf8(const std::string& gbk) {
  QStringDecoder decoder("GBK");
  QString text = decoder(QByteArray::fromStdString(gbk));
  return decoder.hasError() ? std::string("<bad GBK>") : text.toStdString();
}

bool DecodePng(const std::string& png, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgba.resize(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

}  // namespace service_test
