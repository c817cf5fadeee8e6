// A loopback TCP proxy that gives a service on this machine the latency of a
// distant one, for benchmarks on a network with a round trip (this kernel has
// no netem). Every chunk of bytes waits `one_way` in each direction, and the
// first bytes a new connection sends wait one round trip more: the TCP
// handshake that a loopback connection finishes at once. With 10 ms each way
// a GET on a fresh connection takes about 42 ms and one on a kept-alive
// connection about 21 ms, as over a real 20 ms round trip.
#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace bench {

class DelayProxy {
 public:
  // Listens on 127.0.0.1, any free port, and forwards each connection to a
  // new connection of its own to 127.0.0.1:`upstream_port`.
  DelayProxy(int upstream_port, std::chrono::milliseconds one_way);
  ~DelayProxy();
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  // The port it listens on, or 0 when it could not listen.
  int port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Connections accepted so far.
  int connections() const { return connections_.load(); }

 private:
  class Link;

  void Accept();

  const int upstream_port_;
  const std::chrono::milliseconds one_way_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::mutex links_mutex_;
  std::list<std::unique_ptr<Link>> links_;
  std::thread acceptor_;
};

}  // namespace bench
