// The few socket calls the raw loopback servers need, the same on every
// system: POSIX sockets on Linux, Winsock on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace test {

using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// A listener on 127.0.0.1 and a port of the system's choosing (written to
// `port`), or kNoSocket.
SocketHandle ListenOnLoopback(int backlog, int* port);
SocketHandle AcceptConnection(SocketHandle listener);
// A connection to 127.0.0.1:port that may still be on its way; kNoSocket when
// the system refused at once.
SocketHandle StartConnecting(int port);
// Whether a connection from StartConnecting completed within `milliseconds`.
bool FinishesConnecting(SocketHandle socket, int milliseconds);
void CloseSocket(SocketHandle socket);

// Bytes received (0 when the peer closed, negative on failure).
long ReceiveSome(SocketHandle socket, char* buffer, size_t size);
// Bytes sent without waiting: negative on failure, and 0 with `full` set when
// the socket has no room right now.
long SendSome(SocketHandle socket, const char* bytes, size_t size, bool* full);

// A pair of connected ends: a byte written into `wake` makes `watch` readable
// for good, which ends every wait that also watches it.
struct Waker {
  SocketHandle watch = kNoSocket;
  SocketHandle wake = kNoSocket;
};
bool MakeWaker(Waker* waker);
void Wake(const Waker& waker);
void CloseWaker(Waker* waker);

enum class Wanted { kRead, kWrite };
enum class Woken { kReady, kWaker, kFailed };
// Waits until `socket` is ready for `wanted` or the waker is woken.
Woken WaitFor(SocketHandle socket, Wanted wanted, const Waker& waker);

}  // namespace test
