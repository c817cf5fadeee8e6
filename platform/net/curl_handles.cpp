#include "curl_handles.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "net_test_seams.h"

namespace platform {
namespace net {
namespace {

using Clock = std::chrono::steady_clock;

// Servers close idle connections after anything from a few seconds to two
// minutes; a minute keeps one open across the pauses between a user's clicks
// without holding sockets for long.
constexpr std::chrono::milliseconds kIdleConnectionAge = std::chrono::seconds(60);
// More idle pairs than this are closed, oldest first.
constexpr size_t kMaxIdlePairs = 8;

// The DNS cache and the TLS sessions every transfer shares, with one lock for
// each kind of data libcurl asks for.
struct SharedCaches {
  CURLSH* share = nullptr;
  std::mutex locks[CURL_LOCK_DATA_LAST];
};

void LockCaches(CURL*, curl_lock_data data, curl_lock_access, void* caches) {
  static_cast<SharedCaches*>(caches)->locks[data].lock();
}

void UnlockCaches(CURL*, curl_lock_data data, void* caches) {
  static_cast<SharedCaches*>(caches)->locks[data].unlock();
}

SharedCaches& Caches() {
  // Set up once, after libcurl itself; kept until the process ends.
  static SharedCaches* caches = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    auto* made = new SharedCaches;
    made->share = curl_share_init();
    curl_share_setopt(made->share, CURLSHOPT_LOCKFUNC, &LockCaches);
    curl_share_setopt(made->share, CURLSHOPT_UNLOCKFUNC, &UnlockCaches);
    curl_share_setopt(made->share, CURLSHOPT_USERDATA, made);
    curl_share_setopt(made->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(made->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    return made;
  }();
  return *caches;
}

struct IdlePair {
  CurlHandles handles;
  size_t route;
  Clock::time_point since;
};

struct Pool {
  std::mutex mutex;
  std::vector<IdlePair> idle;  // oldest first
  std::atomic<int64_t> age_ms{kIdleConnectionAge.count()};
};

Pool& IdlePool() {
  static Pool* pool = [] {
    auto* made = new Pool;  // outlives every static destructor
    made->idle.reserve(kMaxIdlePairs);
    return made;
  }();
  return *pool;
}

CurlHandles NewHandles() {
  SharedCaches& caches = Caches();
  CurlHandles handles{curl_multi_init(), curl_easy_init()};
  curl_easy_setopt(handles.easy, CURLOPT_SHARE, caches.share);
  return handles;
}

// Closing the multi handle closes the connections it kept.
void Close(CurlHandles handles) {
  curl_easy_cleanup(handles.easy);
  curl_multi_cleanup(handles.multi);
}

}  // namespace

CurlHandles TakeCurlHandles(size_t route) {
  Pool& pool = IdlePool();
  std::unique_lock lock(pool.mutex);
  const Clock::time_point now = Clock::now();
  const std::chrono::milliseconds age = IdleConnectionAge();
  while (!pool.idle.empty() && now - pool.idle.front().since >= age) {
    CurlHandles expired = pool.idle.front().handles;
    pool.idle.erase(pool.idle.begin());
    lock.unlock();
    Close(expired);
    lock.lock();
  }
  if (pool.idle.empty()) {
    lock.unlock();
    return NewHandles();
  }
  // The latest pair that served the route, else the latest of all.
  auto chosen = std::find_if(pool.idle.rbegin(), pool.idle.rend(),
                             [route](const IdlePair& pair) { return pair.route == route; });
  if (chosen == pool.idle.rend()) chosen = pool.idle.rbegin();
  CurlHandles handles = chosen->handles;
  pool.idle.erase(std::next(chosen).base());
  return handles;
}

void ReturnCurlHandles(CurlHandles handles, size_t route) {
  Pool& pool = IdlePool();
  CurlHandles surplus;
  {
    std::lock_guard lock(pool.mutex);
    if (pool.idle.size() >= kMaxIdlePairs) {
      surplus = pool.idle.front().handles;
      pool.idle.erase(pool.idle.begin());
    }
    pool.idle.push_back({handles, route, Clock::now()});
  }
  if (surplus.easy) Close(surplus);
}

std::chrono::milliseconds IdleConnectionAge() {
  return std::chrono::milliseconds(IdlePool().age_ms.load(std::memory_order_relaxed));
}

}  // namespace net

void CloseIdleConnectionsForTests() {
  std::vector<net::IdlePair> idle;
  {
    net::Pool& pool = net::IdlePool();
    std::lock_guard lock(pool.mutex);
    idle.swap(pool.idle);
    pool.idle.reserve(net::kMaxIdlePairs);
  }
  for (const net::IdlePair& pair : idle) net::Close(pair.handles);
}

void SetIdleConnectionAgeForTests(std::chrono::milliseconds age) {
  auto ms = age.count() > 0 ? age : net::kIdleConnectionAge;
  net::IdlePool().age_ms.store(ms.count(), std::memory_order_relaxed);
}

}  // namespace platform
