#include "runtime/heap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/constant_pool.h"
#include "runtime/fatal_error.h"
#include "runtime/gbk.h"

namespace rt {
namespace {

// The message with the requested size in decimal, as given (negative included).
template <class Size>
[[noreturn]] void AllocationFailed(Size size) {
  std::string message = message::AllocationFailed;
  message.replace(message.find("%d"), 2, std::to_string(size));
  ReportFatalErrorUtf8(message.c_str(), 0);
}

}  // namespace

// The C library heap is thread-safe and adds no header that callers can see.
void* RtAlloc(int32_t size) {
  if (size < 0) AllocationFailed(size);
  void* block = std::malloc(size == 0 ? 1 : static_cast<size_t>(size));
  if (!block) AllocationFailed(size);
  return block;
}

void RtFree(void* block) {
  if (!block || InConstantPool(block)) return;
  std::free(block);
}

void* RtRealloc(void* block, int32_t size) {
  if (!block) return RtAlloc(size);
  if (size < 0) AllocationFailed(size);
  if (InConstantPool(block)) {
    void* copy = RtAlloc(size);
    const char* pool_end = static_cast<const char*>(ConstantPoolStart()) + ConstantPoolSize();
    size_t available = static_cast<size_t>(pool_end - static_cast<const char*>(block));
    std::memcpy(copy, block, std::min(available, static_cast<size_t>(size)));
    return copy;
  }
  void* resized = std::realloc(block, size == 0 ? 1 : static_cast<size_t>(size));
  if (!resized) AllocationFailed(size);
  return resized;
}

void* RtAllocSize(size_t size) {
  if (size > kMaxBlockSize) AllocationFailed(size);
  return RtAlloc(static_cast<int32_t>(size));
}

void* RtReallocSize(void* block, size_t size) {
  if (size > kMaxBlockSize) AllocationFailed(size);
  return RtRealloc(block, static_cast<int32_t>(size));
}

}  // namespace rt
