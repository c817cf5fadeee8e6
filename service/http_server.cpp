#include "service/http_server.h"

#include <httplib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "service/bounded_stream.h"
#include "service/index_page.h"
#include "service/request_log.h"

namespace service {
namespace {

// Slow or silent clients give up their worker after this long, so a few of
// them cannot hold the service.
constexpr time_t kTimeoutSeconds = 2;
constexpr size_t kKeepAliveRequests = 100;
// What one request may send in all: its request line (the library refuses
// lines over 8 KiB with 414) and a header block of up to 32 KiB. No request
// here needs a body: every request is answered before a body would be read,
// and leftover body bytes fail as the next request and close the connection.
constexpr size_t kRequestBudget = 8 * 1024 + 32 * 1024;
// cpp-httplib listens with a backlog of 5; a burst of connections deserves
// the most the system allows.
constexpr int kBacklog = SOMAXCONN;

// When a request started to be answered, per worker thread; zero for answers
// the library gives on its own (a request line too long, bad syntax).
thread_local std::chrono::steady_clock::time_point answer_started{};

const char* ReasonOf(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 416:
      return "Range Not Satisfiable";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    default:
      return "Error";
  }
}

}  // namespace

class HttpServer::Server : public httplib::Server {
 public:
  void WidenBacklog() { ::listen(svr_sock_, kBacklog); }

 private:
  // One connection: requests in turn while the client keeps it alive, each
  // read through a stream with a byte budget (see BoundedStream).
  bool process_and_close_socket(socket_t sock) override {
    BoundedStream stream(sock, read_timeout_sec_, write_timeout_sec_);
    bool ok = false;
    for (size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
      if (!stream.WaitReadable(keep_alive_timeout_sec_)) break;
      stream.StartRequest(kRequestBudget);
      bool closed = false;
      ok = process_request(stream, left == 1, closed, [](httplib::Request&) {});
      if (!ok || closed || stream.Exhausted()) break;
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return ok;
  }
};

HttpServer::HttpServer(const QuoteService& service, ServerSettings settings, LogSink log)
    : settings_(std::move(settings)), server_(std::make_unique<Server>()) {
  Server& server = *server_;
  int threads = settings_.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_tcp_nodelay(true);
  // The library's default also sets SO_REUSEPORT, which would let a second
  // service bind the same port and share its connections unnoticed.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_keep_alive_timeout(kTimeoutSeconds);
  server.set_read_timeout(kTimeoutSeconds);
  server.set_write_timeout(kTimeoutSeconds);
  server.set_default_headers({{"Cache-Control", "no-store"}});

  // Every request is answered here, before the library's pattern routing: the
  // paths are fixed prefixes, and no regular expression then runs over a
  // client's path.
  int latency_ms = settings_.latency_ms;
  server.set_pre_routing_handler(
      [&service, latency_ms](const httplib::Request& request, httplib::Response& response) {
        answer_started = std::chrono::steady_clock::now();
        if (latency_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(latency_ms));
        Answer answer = service.Handle(request.method, request.path);
        response.status = answer.status;
        response.body = std::move(answer.body);
        response.set_header("Content-Type", answer.content_type);
        return httplib::Server::HandlerResponse::Handled;
      });
  server.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        const char* reason = ReasonOf(response.status);
        response.set_content(ErrorPage(response.status, reason, "The request was refused."),
                             "text/html; charset=GBK");
        return httplib::Server::HandlerResponse::Handled;
      }));
  if (log) {
    server.set_logger([log](const httplib::Request& request, const httplib::Response& response) {
      int64_t microseconds = 0;
      if (answer_started != std::chrono::steady_clock::time_point{}) {
        microseconds = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - answer_started)
                           .count();
        answer_started = {};
      }
      log(FormatLogLine(std::chrono::system_clock::now(), request.method, request.path,
                        response.status, response.body.size(), microseconds));
    });
  }
}

HttpServer::~HttpServer() = default;

int HttpServer::Bind() {
  Server& server = *server_;
  int port = settings_.port;
  if (port == 0) {
    port = server.bind_to_any_port(settings_.host);
    if (port <= 0) return -1;
  } else if (!server.bind_to_port(settings_.host, port)) {
    return -1;
  }
  server.WidenBacklog();
  return port;
}

bool HttpServer::Run() {
  return server_->listen_after_bind();
}

void HttpServer::Stop() {
  server_->stop();
}

bool HttpServer::IsRunning() const {
  return server_->is_running();
}

}  // namespace service
