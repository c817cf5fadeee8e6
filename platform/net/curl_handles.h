// The libcurl handles transfers run on, kept from one transfer to the next.
//
// A transfer drives one multi handle with one easy handle in it. When it is
// over the pair goes back to a process-wide pool instead of being destroyed,
// and the idle connections stay in the multi handle's connection cache, so a
// later request to the same server, from any session and any thread, goes out
// on a connection that is already open. A pair serves one transfer at a time:
// a request that runs nested inside another one's wait on the same thread
// takes a pair of its own. libcurl keys the connections it reuses by scheme,
// host, port, proxy and TLS settings, and checks that an idle one is still
// open before it uses it.
//
// Every easy handle is in one share that holds the DNS cache and the TLS
// sessions, locked for threads. Connections are not put in the share:
// libcurl does not support a shared connection cache used by threads at the
// same time. Cookies are not shared either; each session keeps its own.
#pragma once

#include <chrono>
#include <cstddef>

namespace platform::net {

struct CurlHandles {
  void* multi = nullptr;  // CURLM*
  void* easy = nullptr;   // CURL*, not added to `multi` while the pair is idle
};

// A free pair, preferring the one that last served `route` (a hash of the
// scheme, host, port and proxy of a request), whose multi handle may hold an
// idle connection for it; a new pair when none is free. Pairs idle for longer
// than IdleConnectionAge() are closed first, and their connections with them.
CurlHandles TakeCurlHandles(size_t route);

// Puts a pair whose transfer is over (its easy handle out of the multi
// handle) back into the pool.
void ReturnCurlHandles(CurlHandles handles, size_t route);

// The longest an idle connection is kept for another request: libcurl does
// not reuse an older one, and the pool closes it when a transfer next takes
// handles (there is no thread of its own to do it sooner).
std::chrono::milliseconds IdleConnectionAge();

}  // namespace platform::net
