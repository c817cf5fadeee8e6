#include "service/chart_cache.h"

namespace service {

std::string ChartCache::Get(const std::string& code, int64_t trading_day, int minute,
                            const std::function<std::string()>& paint) {
  Key key{code, trading_day, minute};
  {
    std::lock_guard lock(mutex_);
    if (auto it = entries_.find(key); it != entries_.end()) {
      ages_.splice(ages_.begin(), ages_, it->second.age);
      return it->second.png;
    }
  }
  // Painted outside the lock, so other stocks' charts are not held up.
  std::string png = paint();
  if (png.empty() || capacity_ == 0) return png;
  std::lock_guard lock(mutex_);
  if (entries_.count(key) == 0) {
    ages_.push_front(key);
    entries_.emplace(key, Entry{png, ages_.begin()});
    if (entries_.size() > capacity_) {
      entries_.erase(ages_.back());
      ages_.pop_back();
    }
  }
  return png;
}

size_t ChartCache::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace service
