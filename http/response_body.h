// The response body while it is read: one byte-set block that grows by half
// again whenever it is full, so a body of any size costs amortised linear
// copying and each read lands straight in the block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/owned.h"

namespace http {

class ResponseBody {
 public:
  ResponseBody() = default;
  ResponseBody(const ResponseBody&) = delete;
  ResponseBody& operator=(const ResponseBody&) = delete;
  ~ResponseBody();

  // Room for `size` more bytes after the body, or null when the body would
  // outgrow the largest byte set the runtime can hold.
  uint8_t* Room(size_t size);
  // The first `count` bytes of the last room now belong to the body.
  void Commit(size_t count);
  size_t size() const { return size_; }

  // The body as a byte set of exactly its size (null when empty); the
  // builder is empty afterwards.
  rt::ByteSet Take();

 private:
  void* block_ = nullptr;  // [int32 1][int32 count][bytes], `capacity_` bytes of room
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace http
