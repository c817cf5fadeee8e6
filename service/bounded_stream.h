// A connection's socket as cpp-httplib's Stream, with a budget of bytes that
// one request may take. The packaged library bounds each header line but not
// how many there are, so a client streaming headers without end would grow
// the service's memory until it ran out; with the budget spent, reads fail,
// the library answers 400 and the connection is closed.
#pragma once

#include <httplib.h>

#include <array>
#include <ctime>

namespace service {

class BoundedStream : public httplib::Stream {
 public:
  BoundedStream(int sock, time_t read_timeout_seconds, time_t write_timeout_seconds)
      : sock_(sock), read_timeout_(read_timeout_seconds), write_timeout_(write_timeout_seconds) {}

  // Starts the next request with a fresh budget.
  void StartRequest(size_t budget) { budget_ = budget; }
  bool Exhausted() const { return budget_ == 0; }
  // Waits up to `seconds` for bytes (or the peer's close) to arrive; true at
  // once when bytes are already buffered.
  bool WaitReadable(time_t seconds) const;

  using httplib::Stream::write;
  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  int socket() const override { return sock_; }

 private:
  int sock_;
  time_t read_timeout_;
  time_t write_timeout_;
  size_t budget_ = 0;
  // The library reads request lines a byte at a time; they come from here.
  std::array<char, 4096> buffer_;
  size_t buffered_from_ = 0;
  size_t buffered_to_ = 0;
};

}  // namespace service
