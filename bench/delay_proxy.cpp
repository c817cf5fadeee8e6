#include "bench/delay_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <string>
#include <utility>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// Small requests and answers go out at once, as the services' own sockets do.
void SendAtOnce(int socket) {
  int yes = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

int ConnectLoopback(int port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in address = Loopback(port);
  if (socket < 0 || connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address)) {
    if (socket >= 0) close(socket);
    return -1;
  }
  SendAtOnce(socket);
  return socket;
}

// One direction of a link: what is read from `from` is written to `to` once
// it has waited its delay. A reader stamps each chunk as it arrives and a
// writer sends it when due, so chunks that follow each other closely are not
// held up behind one another. The end of the input goes through the same
// delay and ends the output.
class Direction {
 public:
  Direction(int from, int to, Clock::duration delay, Clock::duration first_extra)
      : from_(from), to_(to), delay_(delay), first_extra_(first_extra) {}

  void Start() {
    reader_ = std::thread([this] { Read(); });
    writer_ = std::thread([this] { Write(); });
  }
  // Ends a writer that waits; the caller has shut the sockets down.
  void Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    ready_.notify_all();
  }
  void Join() {
    if (reader_.joinable()) reader_.join();
    if (writer_.joinable()) writer_.join();
  }
  bool Finished() const { return finished_.load() == 2; }

 private:
  struct Chunk {
    Clock::time_point due;
    std::string bytes;  // empty: the input has ended
  };

  void Read() {
    Clock::duration extra = first_extra_;
    char buffer[64 * 1024];
    for (;;) {
      const ssize_t count = recv(from_, buffer, sizeof buffer, 0);
      const Clock::time_point due = Clock::now() + delay_ + std::exchange(extra, {});
      std::lock_guard lock(mutex_);
      chunks_.push_back({due, count > 0 ? std::string(buffer, static_cast<size_t>(count)) : ""});
      ready_.notify_all();
      if (count <= 0) break;
    }
    ++finished_;
  }

  void Write() {
    for (;;) {
      Chunk chunk;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stopped_ || !chunks_.empty(); });
        if (stopped_) break;
        const Clock::time_point due = chunks_.front().due;
        if (ready_.wait_until(lock, due, [this] { return stopped_; })) break;
        chunk = std::move(chunks_.front());
        chunks_.pop_front();
      }
      if (chunk.bytes.empty()) {
        shutdown(to_, SHUT_WR);
        break;
      }
      if (!SendAll(chunk.bytes)) {
        // The other side is gone: stop taking input for it.
        shutdown(from_, SHUT_RD);
        break;
      }
    }
    ++finished_;
  }

  bool SendAll(const std::string& bytes) {
    for (size_t sent = 0; sent < bytes.size();) {
      const ssize_t count = send(to_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (count <= 0) return false;
      sent += static_cast<size_t>(count);
    }
    return true;
  }

  const int from_, to_;
  const Clock::duration delay_, first_extra_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Chunk> chunks_;
  bool stopped_ = false;
  std::atomic<int> finished_{0};
  std::thread reader_, writer_;
};

}  // namespace

// A client's connection and the proxy's own to the service, one direction
// each way. The client's first bytes wait a round trip more, for the
// handshake.
class DelayProxy::Link {
 public:
  Link(int client, int upstream, Clock::duration one_way)
      : client_(client),
        upstream_(upstream),
        to_service_(client, upstream, one_way, 2 * one_way),
        to_client_(upstream, client, one_way, Clock::duration::zero()) {
    to_service_.Start();
    to_client_.Start();
  }
  ~Link() {
    shutdown(client_, SHUT_RDWR);
    shutdown(upstream_, SHUT_RDWR);
    to_service_.Stop();
    to_client_.Stop();
    to_service_.Join();
    to_client_.Join();
    close(client_);
    close(upstream_);
  }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  bool Finished() const { return to_service_.Finished() && to_client_.Finished(); }

 private:
  const int client_, upstream_;
  Direction to_service_, to_client_;
};

DelayProxy::DelayProxy(int upstream_port, std::chrono::milliseconds one_way)
    : upstream_port_(upstream_port), one_way_(one_way) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, SOMAXCONN) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

DelayProxy::~DelayProxy() {
  stopping_ = true;
  shutdown(listener_, SHUT_RDWR);  // wakes the acceptor
  if (acceptor_.joinable()) acceptor_.join();
  close(listener_);
  std::lock_guard lock(links_mutex_);
  links_.clear();
}

void DelayProxy::Accept() {
  while (!stopping_) {
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (stopping_) return;
      continue;
    }
    SendAtOnce(client);
    const int upstream = ConnectLoopback(upstream_port_);
    if (upstream < 0) {
      close(client);
      continue;
    }
    ++connections_;
    std::lock_guard lock(links_mutex_);
    links_.remove_if([](const std::unique_ptr<Link>& link) { return link->Finished(); });
    links_.push_back(std::make_unique<Link>(client, upstream, one_way_));
  }
}

}  // namespace bench
