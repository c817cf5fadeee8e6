#include "http/response_body.h"

#include <algorithm>
#include <utility>

#include "runtime/heap.h"

namespace http {
namespace {

constexpr size_t kByteSetHeader = 8;  // the byte set's two count words
constexpr size_t kLargestBody = rt::kMaxBlockSize - kByteSetHeader;
constexpr size_t kFirstCapacity = 16 * 1024;

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
    block_ = static_cast<char*>(rt::RtReallocSize(block_, capacity_ + 1));
  }
  return reinterpret_cast<uint8_t*>(block_) + size_;
}

void ResponseBody::Commit(size_t count) {
  size_ += count;
}

rt::ByteSet ResponseBody::CopyToByteSet() const {
  return rt::ByteSet::Copy(block_, size_);
}

rt::Text ResponseBody::TakeText() {
  char* block = std::exchange(block_, nullptr);
  size_t size = std::exchange(size_, 0);
  capacity_ = 0;
  if (size == 0 || block[0] == '\0') {
    rt::RtFree(block);
    return {};
  }
  block[size] = '\0';
  // Shrinking hands the spare room back without moving the bytes.
  return rt::Text(static_cast<char*>(rt::RtReallocSize(block, size + 1)));
}

}  // namespace http
