#include "http/response_body.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "runtime/heap.h"

namespace http {
namespace {

constexpr size_t kHeaderSize = 8;  // the byte set's two count words
constexpr size_t kLargestBody = rt::kMaxBlockSize - kHeaderSize;
constexpr size_t kFirstCapacity = 16 * 1024;

void WriteCounts(void* block, size_t size) {
  const int32_t words[2] = {1, static_cast<int32_t>(size)};
  std::memcpy(block, words, sizeof words);
}

}  // namespace

ResponseBody::~ResponseBody() {
  rt::RtFree(block_);
}

uint8_t* ResponseBody::Room(size_t size) {
  if (size > kLargestBody - size_) return nullptr;
  size_t needed = size_ + size;
  if (needed > capacity_) {
    size_t grown = std::max({needed, kFirstCapacity, capacity_ + capacity_ / 2});
    capacity_ = std::min(grown, kLargestBody);
    block_ = rt::RtReallocSize(block_, kHeaderSize + capacity_);
  }
  return static_cast<uint8_t*>(block_) + kHeaderSize + size_;
}

void ResponseBody::Commit(size_t count) {
  size_ += count;
}

rt::ByteSet ResponseBody::Take() {
  void* block = std::exchange(block_, nullptr);
  size_t size = std::exchange(size_, 0);
  capacity_ = 0;
  if (size == 0) {
    rt::RtFree(block);
    return {};
  }
  // Shrinking hands the spare room back without moving the bytes.
  block = rt::RtReallocSize(block, kHeaderSize + size);
  WriteCounts(block, size);
  return rt::ByteSet(block);
}

}  // namespace http
