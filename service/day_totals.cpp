#include "service/day_totals.h"

#include <algorithm>
#include <list>
#include <map>
#include <mutex>
#include <utility>

#include "service/noise.h"

namespace service {
namespace {

// How many (stock, day) totals are kept; each takes some 2.5 KB.
constexpr size_t kKeptDays = 1024;

// Trading is busiest after the open and before the close: a U-shaped share of
// the day's volume per minute, summing to 1.
const std::array<double, kSessionMinutes>& MinuteShares() {
  static const std::array<double, kSessionMinutes> shares = [] {
    std::array<double, kSessionMinutes> weights{};
    double sum = 0;
    for (int m = 0; m < kSessionMinutes; ++m) {
      double x = (m - (kSessionMinutes - 1) / 2.0) / (kSessionMinutes / 2.0);
      weights[m] = 1 + 2 * x * x;
      sum += weights[m];
    }
    for (double& w : weights) w /= sum;
    return weights;
  }();
  return shares;
}

int64_t WholeLots(double shares) {
  return static_cast<int64_t>(shares / 100) * 100;
}

// Shares traded in one minute of the session (0..239), whole lots.
int64_t MinuteVolume(const TradingDay& day, double day_volume, int minute) {
  double noise = Between(Hash(day.key, 0x4D49'4Eull, minute), 0.4, 1.6);
  return WholeLots(day_volume * MinuteShares()[minute] * noise);
}

// The kept totals, least recently asked for first out.
class KeptTotals {
 public:
  using Key = std::pair<uint64_t, uint64_t>;  // the stock's key and the day's

  std::shared_ptr<const DayTotals> Find(const Key& key) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    ages_.splice(ages_.begin(), ages_, it->second.age);
    return it->second.totals;
  }

  // Two threads missing the same day both build it; the totals are equal, so
  // the one kept first stays.
  void Keep(const Key& key, std::shared_ptr<const DayTotals> totals) {
    std::lock_guard lock(mutex_);
    if (entries_.contains(key)) return;
    ages_.push_front(key);
    entries_.emplace(key, Entry{std::move(totals), ages_.begin()});
    if (entries_.size() > kKeptDays) {
      entries_.erase(ages_.back());
      ages_.pop_back();
    }
  }

 private:
  struct Entry {
    std::shared_ptr<const DayTotals> totals;
    std::list<Key>::iterator age;
  };
  std::mutex mutex_;
  std::map<Key, Entry> entries_;
  std::list<Key> ages_;  // most recently used first
};

}  // namespace

// At most 6.4 % of the float (a 4 % turnover on a day 1.6 times as busy as
// usual), so even the largest float of 8e10 shares trades some 5e7 lots a
// day, far below 2^31.
double DayVolume(const Stock& stock, const TradingDay& day) {
  return stock.float_shares * stock.daily_turnover * Between(Hash(day.key, 0x564F'4Cull), 0.6, 1.6);
}

DayTotals::DayTotals(const Stock& stock, const TradingDay& day) {
  const double day_volume = DayVolume(stock, day);
  for (int m = 0; m < kSessionMinutes; ++m) {
    volume_before_[m + 1] = volume_before_[m] + MinuteVolume(day, day_volume, m);
  }
  for (int b = 0; b < kTurnoverBlocks; ++b) {
    const int first_minute = b * kTurnoverBlockMinutes;
    block_ticks_[b] = TicksOfWalk(day, WalkAtKnot(day, first_minute * 60 / kKnotSeconds));
    const int64_t block_volume =
        volume_before_[first_minute + kTurnoverBlockMinutes] - volume_before_[first_minute];
    turnover_before_[b + 1] = turnover_before_[b] + block_volume * block_ticks_[b] / 100.0;
  }
}

DayTotals::Position DayTotals::At(int session_second) const {
  session_second = std::clamp(session_second, 0, kSessionSeconds);
  Position at{session_second / 60, 0, kTurnoverBlocks, 0};
  if (at.full_minutes >= kSessionMinutes) return at;  // the day is over
  const int64_t minute = volume_before_[at.full_minutes + 1] - volume_before_[at.full_minutes];
  at.partial = WholeLots(minute * (session_second % 60) / 60.0);
  at.block = at.full_minutes / kTurnoverBlockMinutes;
  at.block_volume = volume_before_[at.full_minutes] -
                    volume_before_[at.block * kTurnoverBlockMinutes] + at.partial;
  return at;
}

int64_t DayTotals::Volume(int session_second) const {
  const Position at = At(session_second);
  return volume_before_[at.full_minutes] + at.partial;
}

double DayTotals::Turnover(int session_second) const {
  const Position at = At(session_second);
  if (at.block == kTurnoverBlocks) return turnover_before_[kTurnoverBlocks];
  return turnover_before_[at.block] + at.block_volume * block_ticks_[at.block] / 100.0;
}

std::shared_ptr<const DayTotals> DayTotals::Of(const Stock& stock, const TradingDay& day) {
  static KeptTotals kept;
  const KeptTotals::Key key{stock.key, day.key};
  if (std::shared_ptr<const DayTotals> totals = kept.Find(key)) return totals;
  // Built outside the lock, so other days are not held up.
  auto totals = std::make_shared<const DayTotals>(stock, day);
  kept.Keep(key, totals);
  return totals;
}

}  // namespace service
