#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/loopback_socket.h"

namespace test {
namespace {

SOCKET Native(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

// Winsock works once a program has started it; the count it keeps makes a
// start per use harmless.
void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  return address;
}

}  // namespace

SocketHandle ListenOnLoopback(int backlog, int* port) {
  StartWinsock();
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener == INVALID_SOCKET) return kNoSocket;
  sockaddr_in address = Loopback(0);
  int length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, backlog) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    closesocket(listener);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return static_cast<SocketHandle>(listener);
}

SocketHandle AcceptConnection(SocketHandle listener) {
  SOCKET socket = accept(Native(listener), nullptr, nullptr);
  return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

SocketHandle StartConnecting(int port) {
  StartWinsock();
  SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (client == INVALID_SOCKET) return kNoSocket;
  u_long non_blocking = 1;
  ioctlsocket(client, FIONBIO, &non_blocking);
  sockaddr_in address = Loopback(port);
  if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    closesocket(client);
    return kNoSocket;
  }
  return static_cast<SocketHandle>(client);
}

bool FinishesConnecting(SocketHandle socket, int milliseconds) {
  WSAPOLLFD connected{Native(socket), POLLOUT, 0};
  int error = 0;
  int error_length = sizeof error;
  return WSAPoll(&connected, 1, milliseconds) == 1 &&
         getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                    &error_length) == 0 &&
         error == 0;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) closesocket(Native(socket));
}

long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
  return recv(Native(socket), buffer, static_cast<int>(size), 0);
}

long SendSome(SocketHandle socket, const char* bytes, size_t size, bool* full) {
  *full = false;
  // The socket stays blocking for reads, so this send is made non-blocking
  // for its own duration.
  u_long non_blocking = 1;
  ioctlsocket(Native(socket), FIONBIO, &non_blocking);
  int sent = send(Native(socket), bytes, static_cast<int>(size), 0);
  const int error = sent < 0 ? WSAGetLastError() : 0;
  non_blocking = 0;
  ioctlsocket(Native(socket), FIONBIO, &non_blocking);
  if (sent < 0 && error == WSAEWOULDBLOCK) {
    *full = true;
    return 0;
  }
  return sent;
}

// Sockets are all a Winsock wait can watch, so the waker is a connected
// loopback pair rather than a pipe.
bool MakeWaker(Waker* waker) {
  int port = 0;
  SocketHandle listener = ListenOnLoopback(1, &port);
  if (listener == kNoSocket) return false;
  SOCKET wake = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(port);
  if (wake == INVALID_SOCKET ||
      connect(wake, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (wake != INVALID_SOCKET) closesocket(wake);
    CloseSocket(listener);
    return false;
  }
  SocketHandle watch = AcceptConnection(listener);
  CloseSocket(listener);
  if (watch == kNoSocket) {
    closesocket(wake);
    return false;
  }
  waker->watch = watch;
  waker->wake = static_cast<SocketHandle>(wake);
  return true;
}

void Wake(const Waker& waker) {
  char byte = 0;
  send(Native(waker.wake), &byte, 1, 0);
}

void CloseWaker(Waker* waker) {
  CloseSocket(waker->watch);
  CloseSocket(waker->wake);
  waker->watch = waker->wake = kNoSocket;
}

Woken WaitFor(SocketHandle socket, Wanted wanted, const Waker& waker) {
  SHORT events = wanted == Wanted::kRead ? POLLRDNORM : POLLWRNORM;
  WSAPOLLFD fds[2] = {{Native(socket), events, 0}, {Native(waker.watch), POLLRDNORM, 0}};
  int ready = WSAPoll(fds, 2, -1);
  if (ready <= 0) return Woken::kFailed;
  return fds[1].revents ? Woken::kWaker : Woken::kReady;
}

}  // namespace test
