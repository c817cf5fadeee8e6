// The runtime heap: every text, byte set and array block comes from here and
// may be allocated or freed on any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// A block of exactly `size` bytes, not zeroed. Exhaustion is a fatal error
// ("分配 %d 字节内存失败!"), so the result is never null.
void* RtAlloc(int32_t size);

// Null and constant-pool pointers are ignored; anything else goes back to the heap.
void RtFree(void* block);

// Null: as RtAlloc. Constant-pool pointer: a new block receiving the smaller of
// `size` and the bytes from the pointer to the end of the pool. Otherwise a
// resize that keeps the contents. Exhaustion is fatal as for RtAlloc.
void* RtRealloc(void* block, int32_t size);

// Block sizes are 32-bit. These take a size computed from lengths and report one
// beyond INT32_MAX as an allocation failure with its true value, instead of
// letting it wrap to a smaller block that the caller would then overrun.
inline constexpr size_t kMaxBlockSize = INT32_MAX;
void* RtAllocSize(size_t size);
void* RtReallocSize(void* block, size_t size);

}  // namespace rt
