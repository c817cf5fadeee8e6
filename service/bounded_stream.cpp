#include "service/bounded_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace service {
namespace {

bool WaitFor(int sock, short events, time_t seconds) {
  pollfd entry{sock, events, 0};
  int result;
  do {
    result = poll(&entry, 1, static_cast<int>(seconds * 1000));
  } while (result < 0 && errno == EINTR);
  return result > 0;
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = "";
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  }
  ip = text;
}

}  // namespace

bool BoundedStream::WaitReadable(time_t seconds) const {
  return buffered_from_ < buffered_to_ || WaitFor(sock_, POLLIN, seconds);
}

bool BoundedStream::is_readable() const {
  return WaitReadable(read_timeout_);
}

bool BoundedStream::is_writable() const {
  return WaitFor(sock_, POLLOUT, write_timeout_);
}

ssize_t BoundedStream::read(char* ptr, size_t size) {
  size = std::min(size, budget_);
  if (size == 0) return -1;
  if (buffered_from_ == buffered_to_) {
    if (!is_readable()) return -1;
    ssize_t n;
    do {
      n = recv(sock_, buffer_.data(), buffer_.size(), 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return n;
    buffered_from_ = 0;
    buffered_to_ = static_cast<size_t>(n);
  }
  size = std::min(size, buffered_to_ - buffered_from_);
  std::copy_n(buffer_.data() + buffered_from_, size, ptr);
  buffered_from_ += size;
  budget_ -= size;
  return static_cast<ssize_t>(size);
}

ssize_t BoundedStream::write(const char* ptr, size_t size) {
  if (!is_writable()) return -1;
  ssize_t n;
  do {
    n = send(sock_, ptr, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n;
}

void BoundedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    AddressOf(address, ip, port);
  }
}

void BoundedStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(sock_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    AddressOf(address, ip, port);
  }
}

}  // namespace service
