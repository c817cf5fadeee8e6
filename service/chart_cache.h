// Painting and encoding a chart costs over a millisecond, so each stock's
// chart is drawn once per market minute and kept, least recently used first
// out, up to a fixed number of pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace service {

class ChartCache {
 public:
  static constexpr size_t kDefaultCapacity = 128;

  explicit ChartCache(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  // The picture for (code, trading day, session minute), from `paint` when it
  // is not kept. Two threads missing the same key both paint; the pictures
  // are equal, so either may be kept. An empty picture is not kept.
  std::string Get(const std::string& code, int64_t trading_day, int minute,
                  const std::function<std::string()>& paint);

  size_t size() const;

 private:
  using Key = std::tuple<std::string, int64_t, int>;
  struct Entry {
    std::string png;
    std::list<Key>::iterator age;
  };

  size_t capacity_;
  mutable std::mutex mutex_;
  std::map<Key, Entry> entries_;
  std::list<Key> ages_;  // most recently used first
};

}  // namespace service
