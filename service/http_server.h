// The HTTP/1.1 glue around QuoteService: a cpp-httplib server with bounded
// waits and sizes, the answer delay for trying clients against a slow
// service, and one log line per request.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "service/quote_service.h"

namespace service {

struct ServerSettings {
  std::string host = "127.0.0.1";
  int port = 18080;    // 0 picks a free port
  int latency_ms = 0;  // added before every answer
  int threads = 16;
};

class HttpServer {
 public:
  using LogSink = std::function<void(std::string_view line)>;

  // `service` must outlive the server. A null sink logs nothing.
  HttpServer(const QuoteService& service, ServerSettings settings, LogSink log);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the listening socket; the port (the chosen one for port 0) or -1.
  int Bind();
  // Serves until Stop(); false when it could not (not bound, socket failure).
  bool Run();
  // Ends a running Run() from any thread; one that comes before Run() has
  // started listening (see IsRunning) is lost.
  void Stop();
  // True while Run() is listening.
  bool IsRunning() const;

 private:
  class Server;
  ServerSettings settings_;
  std::unique_ptr<Server> server_;
};

}  // namespace service
