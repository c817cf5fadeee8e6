// The response body while it is read: one block that grows by half again
// whenever it is full, so a body of any size costs amortised linear copying
// and each read lands straight in the block. The bytes start the block, so a
// body taken as text becomes that text without being copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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
  std::string_view bytes() const { return {block_, size_}; }

  // A byte set holding a copy of the body (null when empty).
  rt::ByteSet CopyToByteSet() const;
  // The body as local text: its block with a NUL after the last byte, so the
  // text ends at the body's first NUL byte (null when that leaves nothing).
  // The builder is empty afterwards.
  rt::Text TakeText();

 private:
  char* block_ = nullptr;  // the bytes, `capacity_` bytes of room and one more for the NUL
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace http
