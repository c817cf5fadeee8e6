#include "tests/support/http_test_server.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

#ifndef _WIN32
#include "net_test_seams.h"
#endif
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
#include "tests/support/test_certificate.h"
#endif

namespace test {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// cpp-httplib files the peer's addresses among the headers; they never
// arrived on the wire.
bool IsPseudoHeader(std::string_view name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

}  // namespace

std::string ReceivedRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (SameName(key, name)) return value;
  }
  return "";
}

int ReceivedRequest::HeaderCount(std::string_view name) const {
  return static_cast<int>(std::count_if(headers.begin(), headers.end(),
                                        [&](const auto& h) { return SameName(h.first, name); }));
}

Answer Answer::Parse(std::string_view raw) {
  Answer answer;
  size_t line_end = raw.find("\r\n");
  std::string_view status_line = raw.substr(0, line_end);
  size_t space = status_line.find(' ');
  if (space != std::string_view::npos)
    answer.status = std::atoi(std::string(status_line.substr(space + 1)).c_str());
  raw.remove_prefix(line_end == std::string_view::npos ? raw.size() : line_end + 2);
  while (!raw.empty() && !raw.starts_with("\r\n")) {
    line_end = raw.find("\r\n");
    std::string_view line = raw.substr(0, line_end);
    raw.remove_prefix(line_end == std::string_view::npos ? raw.size() : line_end + 2);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string name(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    // The server works out the length and framing itself.
    if (SameName(name, "Content-Length")) continue;
    if (SameName(name, "Transfer-Encoding")) {
      answer.chunked = true;
      continue;
    }
    answer.headers.emplace_back(name, std::string(value));
  }
  if (raw.starts_with("\r\n")) raw.remove_prefix(2);
  answer.body = std::string(raw);
  return answer;
}

HttpTestServer::HttpTestServer(const TestCertificate* certificate, int port)
    : secure_(certificate) {
  if (certificate) {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
    server_ = std::make_unique<httplib::SSLServer>(certificate->certificate(), certificate->key());
#else
    throw std::runtime_error("this build of the test servers has no TLS");
#endif
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->set_tcp_nodelay(true);
  server_->set_keep_alive_max_count(1000);
  auto handle = [this](const httplib::Request& request, httplib::Response& response) {
    ReceivedRequest received{request.method, request.target, request.version, {}, request.body};
    received.client_port = request.remote_port;
    for (const auto& [name, value] : request.headers) {
      if (!IsPseudoHeader(name)) received.headers.emplace_back(name, value);
    }
    Handler handler;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(received);
      auto found = handlers_.find(request.target.substr(0, request.target.find('?')));
      if (found != handlers_.end()) handler = found->second;
    }
    Answer answer =
        handler ? handler(received) : Answer::Parse("HTTP/1.1 404 Not Found\r\n\r\nno fixture");
    response.status = answer.status;
    std::string content_type;
    for (const auto& [name, value] : answer.headers) {
      if (SameName(name, "Content-Type")) {
        content_type = value;
      } else {
        response.headers.emplace(name, value);
      }
    }
    if (answer.chunked) {
      auto body = std::make_shared<std::string>(answer.body);
      response.set_chunked_content_provider(
          content_type, [body](size_t offset, httplib::DataSink& sink) {
            // Pieces of at most 7 bytes, so a body really crosses chunk borders.
            if (offset < body->size()) {
              sink.write(body->data() + offset, std::min<size_t>(7, body->size() - offset));
            } else {
              sink.done();
            }
            return true;
          });
    } else {
      response.body = answer.body;
      if (!content_type.empty()) response.set_header("Content-Type", content_type);
    }
  };
  server_->Get(".*", handle)
      .Post(".*", handle)
      .Put(".*", handle)
      .Delete(".*", handle)
      .Options(".*", handle)
      .Patch(".*", handle);
  port_ = port == 0 ? server_->bind_to_any_port("127.0.0.1")
                    : (server_->bind_to_port("127.0.0.1", port) ? port : -1);
  if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() only works on a running server, so wait until it runs.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

HttpTestServer::~HttpTestServer() {
#ifndef _WIN32
  // The server's threads wait for kept connections to close before it stops;
  // our own HTTP core keeps them, and lets them go here.
  platform::CloseIdleConnectionsForTests();
#endif
  server_->stop();
  thread_.join();
}

void HttpTestServer::Reply(const std::string& path, std::string_view raw_answer) {
  Answer answer = Answer::Parse(raw_answer);
  Reply(path, [answer](const ReceivedRequest&) { return answer; });
}

void HttpTestServer::Reply(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[path] = std::move(handler);
}

std::string HttpTestServer::Url(std::string_view target) const {
  return (secure_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) +
         std::string(target);
}

std::vector<ReceivedRequest> HttpTestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

ReceivedRequest HttpTestServer::LastRequest() const {
  std::lock_guard lock(mutex_);
  return requests_.empty() ? ReceivedRequest{} : requests_.back();
}

RawSocketServer::RawSocketServer(Script script, bool read_body)
    : RawSocketServer(Chosen{}, ScriptChooser([script = std::move(script)](const std::string&) {
                        return script;
                      }),
                      read_body) {}

std::unique_ptr<RawSocketServer> RawSocketServer::ByRequest(ScriptChooser choose, bool read_body) {
  return std::unique_ptr<RawSocketServer>(
      new RawSocketServer(Chosen{}, std::move(choose), read_body));
}

RawSocketServer::RawSocketServer(Chosen, ScriptChooser choose, bool read_body)
    : choose_(std::move(choose)), read_body_(read_body) {
  listener_ = ListenOnLoopback(16, &port_);
  if (listener_ == kNoSocket || !MakeWaker(&waker_)) {
    CloseSocket(listener_);
    throw std::runtime_error("cannot listen on a loopback port");
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawSocketServer::~RawSocketServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopping_changed_.notify_all();
  Wake(waker_);  // stays woken: every wait ends
  acceptor_.join();
  for (std::thread& connection : connections_) connection.join();
  CloseSocket(listener_);
  CloseWaker(&waker_);
}

std::string RawSocketServer::Url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

std::vector<std::string> RawSocketServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void RawSocketServer::AcceptLoop() {
  for (;;) {
    Woken woken = WaitFor(listener_, Wanted::kRead, waker_);
    if (woken == Woken::kWaker) return;
    if (woken == Woken::kFailed) continue;
    SocketHandle socket = AcceptConnection(listener_);
    if (socket != kNoSocket) connections_.emplace_back([this, socket] { Serve(socket); });
  }
}

bool RawSocketServer::Sleep(int milliseconds) {
  std::unique_lock lock(mutex_);
  return !stopping_changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [this] { return stopping_; });
}

void RawSocketServer::Serve(SocketHandle socket) {
  std::string request;
  size_t wanted = std::string::npos;  // head plus body, once the head is known
  char buffer[65536];
  while (request.size() < wanted) {
    if (WaitFor(socket, Wanted::kRead, waker_) != Woken::kReady) break;
    long got = ReceiveSome(socket, buffer, sizeof buffer);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
    size_t head_end = request.find("\r\n\r\n");
    if (wanted == std::string::npos && head_end != std::string::npos) {
      size_t body = 0;
      std::string head = request.substr(0, head_end);
      std::transform(head.begin(), head.end(), head.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      size_t field = head.find("\r\ncontent-length:");
      if (field != std::string::npos && read_body_) {
        body = std::strtoull(head.c_str() + field + 17, nullptr, 10);
      }
      wanted = head_end + 4 + body;
    }
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  // Waits for room as well as for the stop, so a client that stops reading
  // cannot keep the server from shutting down.
  auto send_all = [this, socket](std::string_view bytes) {
    while (!bytes.empty()) {
      if (WaitFor(socket, Wanted::kWrite, waker_) != Woken::kReady) return false;
      bool full = false;
      long n = SendSome(socket, bytes.data(), bytes.size(), &full);
      if (full) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  };
  bool going = true;
  for (const Step& step : choose_(request)) {
    if (!going) break;
    if (step.kind == Step::Kind::kSend) {
      for (int time = 0; time < step.times && send_all(step.bytes); ++time) {
      }
    } else if (step.kind == Step::Kind::kTrickle) {
      for (size_t at = 0; going && at < step.bytes.size(); ++at) {
        going = send_all(std::string_view(step.bytes).substr(at, 1)) && Sleep(step.milliseconds);
      }
    } else if (step.kind == Step::Kind::kDrain) {
      while (WaitFor(socket, Wanted::kRead, waker_) == Woken::kReady &&
             ReceiveSome(socket, buffer, sizeof buffer) > 0) {
      }
    } else if (step.kind == Step::Kind::kAwaitMore) {
      going = WaitFor(socket, Wanted::kRead, waker_) == Woken::kReady;
    } else if (step.kind == Step::Kind::kPause) {
      going = Sleep(step.milliseconds);
    } else {
      std::unique_lock lock(mutex_);
      stopping_changed_.wait(lock, [this] { return stopping_; });
    }
  }
  CloseSocket(socket);
}

FullBacklogListener::FullBacklogListener() {
  listener_ = ListenOnLoopback(0, &port_);
  if (listener_ == kNoSocket) throw std::runtime_error("cannot listen on a loopback port");
  // Connects until one goes unanswered; the ones answered stay queued, and
  // the one left waiting is given up.
  for (int attempt = 0; attempt < 64; ++attempt) {
    SocketHandle client = StartConnecting(port_);
    if (client == kNoSocket) break;
    if (!FinishesConnecting(client, 200)) {
      CloseSocket(client);
      if (!queued_.empty()) return;
      break;
    }
    queued_.push_back(client);
  }
  for (SocketHandle client : queued_) CloseSocket(client);
  CloseSocket(listener_);
  throw std::runtime_error("cannot fill a loopback listener's queue");
}

FullBacklogListener::~FullBacklogListener() {
  for (SocketHandle client : queued_) CloseSocket(client);
  CloseSocket(listener_);
}

std::string FullBacklogListener::Url(std::string_view target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

}  // namespace test
