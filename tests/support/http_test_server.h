// Loopback HTTP(S) servers for tests. HttpTestServer runs cpp-httplib inside
// the test process on 127.0.0.1 and an ephemeral port, records every request
// that arrives and answers from fixtures: a fixture is the raw bytes of an
// answer ("HTTP/1.1 302 Found\r\nLocation: /b\r\n\r\nbody"). RawSocketServer
// speaks bytes directly, for answers no well-behaved server gives.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/loopback_socket.h"

namespace httplib {
class Server;
}

namespace test {

class TestCertificate;

struct ReceivedRequest {
  std::string method;
  std::string target;  // path and query as sent
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers = {};
  std::string body;
  int client_port = 0;  // the client's end of the connection it came on

  // The first value of a header (name case ignored), "" when absent.
  std::string Header(std::string_view name) const;
  int HeaderCount(std::string_view name) const;
};

struct Answer {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers = {};
  std::string body;
  bool chunked = false;  // send the body in chunks instead of with a length

  // Status, header lines and body of raw answer bytes.
  static Answer Parse(std::string_view raw);
};

class HttpTestServer {
 public:
  // Plain HTTP, or HTTPS with `certificate`; on `port`, or any free one for 0.
  explicit HttpTestServer(const TestCertificate* certificate = nullptr, int port = 0);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  using Handler = std::function<Answer(const ReceivedRequest&)>;
  // Requests for `path` (the part before any '?') get this answer; anything
  // without a fixture gets a 404.
  void Reply(const std::string& path, std::string_view raw_answer);
  void Reply(const std::string& path, Handler handler);

  int port() const { return port_; }
  // "http://127.0.0.1:port" (or https) followed by `target`.
  std::string Url(std::string_view target) const;
  std::vector<ReceivedRequest> Requests() const;
  ReceivedRequest LastRequest() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  bool secure_ = false;
  mutable std::mutex mutex_;
  std::map<std::string, Handler> handlers_;
  std::vector<ReceivedRequest> requests_;
};

// A server on a raw socket that runs a script on every connection once the
// request (head and any Content-Length body) has arrived.
class RawSocketServer {
 public:
  struct Step {
    enum class Kind { kSend, kPause, kHold, kDrain, kTrickle, kAwaitMore } kind;
    std::string bytes;
    int milliseconds = 0;
    int times = 1;  // kSend: how often the bytes go out back to back
  };
  using Script = std::vector<Step>;
  static Step Send(std::string bytes) { return {Step::Kind::kSend, std::move(bytes)}; }
  // The same bytes `times` times over, for large answers the server need not hold.
  static Step SendRepeated(std::string bytes, int times) {
    return {Step::Kind::kSend, std::move(bytes), 0, times};
  }
  // One byte at a time with a pause after each.
  static Step Trickle(std::string bytes, int milliseconds_per_byte) {
    return {Step::Kind::kTrickle, std::move(bytes), milliseconds_per_byte};
  }
  static Step Pause(int milliseconds) { return {Step::Kind::kPause, {}, milliseconds}; }
  // Keeps the connection open without a word until the server stops.
  static Step Hold() { return {Step::Kind::kHold, {}, 0}; }
  // Reads and drops whatever the client still sends until it closes.
  static Step Drain() { return {Step::Kind::kDrain, {}, 0}; }
  // Waits until the client sends more (another request on the same
  // connection) or closes, and leaves what it sent unread.
  static Step AwaitMore() { return {Step::Kind::kAwaitMore, {}, 0}; }

  // Every connection is closed when its script ends. Without `read_body` the
  // script starts as soon as the request head is in, leaving any body unread.
  explicit RawSocketServer(Script script, bool read_body = true);
  // The script for each connection chosen by the raw bytes of its request,
  // so one server can answer some paths well and others badly.
  using ScriptChooser = std::function<Script(const std::string& request)>;
  static std::unique_ptr<RawSocketServer> ByRequest(ScriptChooser choose, bool read_body = true);
  ~RawSocketServer();
  RawSocketServer(const RawSocketServer&) = delete;
  RawSocketServer& operator=(const RawSocketServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view target) const;
  // The raw bytes of each request received, in order.
  std::vector<std::string> Requests() const;

 private:
  struct Chosen {};  // keeps "RawSocketServer({})" meaning an empty script
  RawSocketServer(Chosen, ScriptChooser choose, bool read_body);
  void AcceptLoop();
  void Serve(SocketHandle socket);
  bool Sleep(int milliseconds);  // false when the server is stopping

  ScriptChooser choose_;
  bool read_body_ = true;
  SocketHandle listener_ = kNoSocket;
  int port_ = 0;
  Waker waker_;
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::condition_variable stopping_changed_;
  bool stopping_ = false;
  std::vector<std::thread> connections_;
  std::vector<std::string> requests_;
};

// A loopback listener that never accepts, its queue filled by connections of
// its own: the system drops every further connection request, so a connect to
// its port never completes and only the client's own limit ends it.
class FullBacklogListener {
 public:
  FullBacklogListener();
  ~FullBacklogListener();
  FullBacklogListener(const FullBacklogListener&) = delete;
  FullBacklogListener& operator=(const FullBacklogListener&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view target) const;

 private:
  SocketHandle listener_ = kNoSocket;
  int port_ = 0;
  std::vector<SocketHandle> queued_;  // the connections that fill the queue
};

}  // namespace test
