// How much memory and how many threads this process holds, now and at most
// over a stretch of time, for the fault and load runs.
#pragma once

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define QUOTEVIEW_FIGURES_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUOTEVIEW_FIGURES_ASAN 1
#endif
#endif

#ifdef QUOTEVIEW_FIGURES_ASAN
// The sanitizer allocator's count of bytes handed out and not yet freed.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace app_test {

#ifdef QUOTEVIEW_FIGURES_ASAN
inline constexpr bool kSanitizerHeap = true;
#else
inline constexpr bool kSanitizerHeap = false;
#endif

// A field of /proc/self/status in kilobytes ("VmRSS:"), -1 when absent.
inline long StatusKilobytes(std::string_view field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) return std::atol(line.c_str() + field.size());
  }
  return -1;
}

// What the process holds now: its resident memory, or under the address
// sanitizer (whose quarantine keeps freed blocks resident for a while, which
// would hide what the program itself gives back) its live heap.
inline size_t HeldBytes() {
#ifdef QUOTEVIEW_FIGURES_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return static_cast<size_t>(std::max(StatusKilobytes("VmRSS:"), 0L)) * 1024;
#endif
}

// Entries of /proc/self/task.
inline int ThreadCount() {
  int count = 0;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/self/task", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++count;
  }
  return count;
}

// Threads of this process without a name of their own: they carry the main
// thread's, as the refresh workers do. Libraries' own threads (Qt's, the
// sanitizer's) name themselves and may start or end at any time.
inline std::set<std::string> UnnamedThreads() {
  std::set<std::string> threads;
  std::string main_name;
  std::getline(std::ifstream("/proc/self/comm"), main_name);
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator("/proc/self/task", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::string name;
    std::getline(std::ifstream(it->path() / "comm"), name);
    if (name == main_name) threads.insert(it->path().filename().string());
  }
  return threads;
}

// The most held memory and the most threads while this lives, sampled every
// millisecond on a thread of its own, named so that it is not taken for a
// worker (counted in the thread figures).
class PeakSampler {
 public:
  PeakSampler() : start_bytes_(HeldBytes()), peak_bytes_(start_bytes_) {
    sampler_ = std::thread([this] {
      pthread_setname_np(pthread_self(), "peak sampler");
      while (!done_) {
        Sample();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~PeakSampler() { Stop(); }
  PeakSampler(const PeakSampler&) = delete;
  PeakSampler& operator=(const PeakSampler&) = delete;

  // Ends the sampling; the figures stay.
  void Stop() {
    done_ = true;
    if (sampler_.joinable()) sampler_.join();
  }
  size_t start_bytes() const { return start_bytes_; }
  size_t peak_bytes() const { return peak_bytes_; }
  int peak_threads() const { return peak_threads_; }
  long PeakAboveStartMb() const {
    return static_cast<long>((std::max(peak_bytes_.load(), start_bytes_) - start_bytes_) >> 20);
  }

 private:
  void Sample() {
    peak_bytes_ = std::max(peak_bytes_.load(), HeldBytes());
    peak_threads_ = std::max(peak_threads_.load(), ThreadCount());
  }

  const size_t start_bytes_;
  std::atomic<size_t> peak_bytes_;
  std::atomic<int> peak_threads_{0};
  std::atomic<bool> done_{false};
  std::thread sampler_;
};

}  // namespace app_test
