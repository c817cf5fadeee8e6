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

}  // namespace rt
