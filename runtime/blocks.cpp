#include "runtime/blocks.h"

#include <algorithm>

#include "runtime/heap.h"
#include "runtime/value.h"

namespace rt {

int32_t MemberSize(TypeCode code) {
  switch (BaseType(code)) {
    case type::Byte:
      return 1;
    case type::Short:
      return 2;
    case type::Int:
    case type::Float:
    case type::Bool:
      return 4;
    case type::Int64:
    case type::Double:
    case type::DateTime:
      return 8;
    default:
      return static_cast<int32_t>(sizeof(void*));
  }
}

char* NewText(std::string_view bytes) {
  if (bytes.empty()) return nullptr;
  return NewTextBlock(bytes);
}

char* NewTextBlock(std::string_view bytes) {
  auto* block = static_cast<char*>(RtAllocSize(bytes.size() + 1));
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  block[bytes.size()] = '\0';
  return block;
}

void* NewByteSet(const void* bytes, size_t size) {
  if (size == 0) return nullptr;
  auto* block = static_cast<unsigned char*>(RtAllocSize(size + 8));
  const int32_t header[2] = {1, static_cast<int32_t>(size)};
  std::memcpy(block, header, sizeof header);
  std::memcpy(block + 8, bytes, size);
  return block;
}

void* NewZeroByteSet(size_t size) {
  if (size == 0) return nullptr;
  auto* block = static_cast<unsigned char*>(RtAllocSize(size + 8));
  const int32_t header[2] = {1, static_cast<int32_t>(size)};
  std::memcpy(block, header, sizeof header);
  std::memset(block + 8, 0, size);
  return block;
}

ArrayInfo ArrayCount(void* block) {
  auto* bytes = static_cast<unsigned char*>(block);
  int32_t dimensions;
  std::memcpy(&dimensions, bytes, sizeof dimensions);
  ArrayInfo info;
  info.members = bytes + 4 + 4 * static_cast<size_t>(dimensions < 0 ? 0 : dimensions);
  if (dimensions <= 0) return info;
  int64_t count = 1;
  for (int32_t i = 0; i < dimensions; ++i) {
    int32_t size;
    std::memcpy(&size, bytes + 4 + 4 * static_cast<size_t>(i), sizeof size);
    count *= size;
  }
  info.count = static_cast<int32_t>(count);
  return info;
}

ArrayInfo ArrayCountOrZero(void* block) {
  if (!block) return {};
  return ArrayCount(block);
}

void* NewArray(int32_t count, int32_t member_size) {
  // In 64 bits no count wraps to a small block; a negative size is refused by
  // RtAlloc like any request the heap cannot satisfy.
  int64_t size = 8 + int64_t{count} * member_size;
  if (size < 0) RtAlloc(static_cast<int32_t>(std::max<int64_t>(size, INT32_MIN)));
  auto payload = static_cast<size_t>(size - 8);
  auto* block = static_cast<unsigned char*>(RtAllocSize(static_cast<size_t>(size)));
  const int32_t header[2] = {1, count};
  std::memcpy(block, header, sizeof header);
  std::memset(block + 8, 0, payload);
  return block;
}

}  // namespace rt
