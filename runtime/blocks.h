// Layouts of the heap blocks: Text (NUL-terminated GBK bytes), ByteSet
// ([int32 1][int32 count][bytes]) and ArrayBlock ([int32 dims][int32 size]...[members]).
// Null is the empty text and the empty byte set. These helpers only read and
// build blocks; ownership stays with whoever holds the pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace rt {

// --- Text ---
inline size_t TextSize(const char* text) {
  return text ? std::strlen(text) : 0;
}
inline std::string_view TextView(const char* text) {
  return text ? std::string_view(text) : std::string_view();
}
// A new text block holding `bytes` and a NUL; empty input gives null.
char* NewText(std::string_view bytes);
// Same, but an empty input still gives a one-byte block "".
char* NewTextBlock(std::string_view bytes);

// --- ByteSet ---
inline int32_t ByteSetCount(const void* block) {
  if (!block) return 0;
  int32_t count;
  std::memcpy(&count, static_cast<const char*>(block) + 4, sizeof count);
  return count < 0 ? 0 : count;
}
inline const uint8_t* ByteSetBytes(const void* block) {
  return block ? static_cast<const uint8_t*>(block) + 8 : nullptr;
}
inline uint8_t* ByteSetBytes(void* block) {
  return block ? static_cast<uint8_t*>(block) + 8 : nullptr;
}
// A new byte set holding a copy of `size` bytes; size 0 gives null.
void* NewByteSet(const void* bytes, size_t size);
// A new byte set of `size` zero bytes; size 0 gives null.
void* NewZeroByteSet(size_t size);

// --- ArrayBlock ---
struct ArrayInfo {
  int32_t count = 0;                 // product of the dimension sizes
  unsigned char* members = nullptr;  // first member
};
// Member count and first member of an array block (count 0 when the dimension count is 0).
ArrayInfo ArrayCount(void* block);
// As ArrayCount, with null counting as an empty array.
ArrayInfo ArrayCountOrZero(void* block);
// A new one-dimensional array block of `count` members of `member_size`, zero-filled.
void* NewArray(int32_t count, int32_t member_size);

// Members of a text array are pointer-sized, unaligned when there are several dimensions.
inline char* TextMember(const unsigned char* member) {
  char* text;
  std::memcpy(&text, member, sizeof text);
  return text;
}
inline void SetTextMember(unsigned char* member, char* text) {
  std::memcpy(member, &text, sizeof text);
}

}  // namespace rt
