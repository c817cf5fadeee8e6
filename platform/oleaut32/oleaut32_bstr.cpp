// BSTRs: a 4-byte byte-length prefix, the UTF-16 data and a 2-byte NUL, in
// one block whose address is the data's. Lengths always come from the prefix,
// so strings may hold NULs and odd byte counts.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "oleaut32.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
constexpr size_t kTerminator = sizeof(OLECHAR);

char* BlockOf(BSTR text) {
  return reinterpret_cast<char*>(text) - kPrefix;
}

// An uninitialised string of `bytes` bytes with its prefix and terminator set.
BSTR AllocateBytes(size_t bytes) {
  if (bytes > std::numeric_limits<uint32_t>::max() - kPrefix - kTerminator - 1) return nullptr;
  // One spare byte keeps the terminator whole after an odd byte count.
  auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + kTerminator + 1));
  if (!block) return nullptr;
  auto length = static_cast<uint32_t>(bytes);
  std::memcpy(block, &length, kPrefix);
  std::memset(block + kPrefix + bytes, 0, kTerminator + 1);
  return reinterpret_cast<BSTR>(block + kPrefix);
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<char16_t>::length(text)));
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
  BSTR result = AllocateBytes(static_cast<size_t>(length) * sizeof(OLECHAR));
  if (result && text && length) std::memcpy(result, text, length * sizeof(OLECHAR));
  return result;
}

BSTR SysAllocStringByteLen(const char* bytes, UINT byte_length) {
  BSTR result = AllocateBytes(byte_length);
  if (result && bytes && byte_length) std::memcpy(result, bytes, byte_length);
  return result;
}

void SysFreeString(BSTR text) {
  if (text) std::free(BlockOf(text));
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  uint32_t length;
  std::memcpy(&length, BlockOf(text), kPrefix);
  return length;
}

UINT SysStringLen(BSTR text) {
  return SysStringByteLen(text) / sizeof(OLECHAR);
}
