#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/loopback_socket.h"

namespace test {

SocketHandle ListenOnLoopback(int backlog, int* port) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return kNoSocket;
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, backlog) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return listener;
}

SocketHandle AcceptConnection(SocketHandle listener) {
  int socket = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
  return socket < 0 ? kNoSocket : socket;
}

SocketHandle StartConnecting(int port) {
  int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (client < 0) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
      errno != EINPROGRESS) {
    close(client);
    return kNoSocket;
  }
  return client;
}

bool FinishesConnecting(SocketHandle socket, int milliseconds) {
  pollfd connected{static_cast<int>(socket), POLLOUT, 0};
  int error = 0;
  socklen_t error_length = sizeof error;
  return poll(&connected, 1, milliseconds) == 1 &&
         getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &error_length) == 0 &&
         error == 0;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) close(static_cast<int>(socket));
}

long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
  return recv(static_cast<int>(socket), buffer, size, 0);
}

long SendSome(SocketHandle socket, const char* bytes, size_t size, bool* full) {
  *full = false;
  ssize_t sent = send(static_cast<int>(socket), bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    *full = true;
    return 0;
  }
  return sent;
}

bool MakeWaker(Waker* waker) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  waker->watch = ends[0];
  waker->wake = ends[1];
  return true;
}

void Wake(const Waker& waker) {
  char byte = 0;
  (void)!write(static_cast<int>(waker.wake), &byte, 1);
}

void CloseWaker(Waker* waker) {
  CloseSocket(waker->watch);
  CloseSocket(waker->wake);
  waker->watch = waker->wake = kNoSocket;
}

Woken WaitFor(SocketHandle socket, Wanted wanted, const Waker& waker) {
  short events = wanted == Wanted::kRead ? POLLIN : POLLOUT;
  pollfd fds[2] = {{static_cast<int>(socket), events, 0},
                   {static_cast<int>(waker.watch), POLLIN, 0}};
  for (;;) {
    int ready = poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return Woken::kFailed;
    return fds[1].revents ? Woken::kWaker : Woken::kReady;
  }
}

}  // namespace test
