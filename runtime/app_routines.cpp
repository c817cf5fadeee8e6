// Routines that compiled application code relies on: raw text comparison,
// concatenation, bounds-checked array access, appending and runtime services.
#include "runtime/app_routines.h"

#include <cmath>
#include <cstring>
#include <mutex>

#include <unistd.h>

#include "loader.h"
#include "runtime/constant_pool.h"
#include "runtime/fatal_error.h"
#include "runtime/heap.h"

namespace rt {

int32_t CompareTextRaw(const char* a, const char* b) {
  int order = std::strcmp(a ? a : "", b ? b : "");  // compares bytes as unsigned
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int32_t TextByteLength(const char* text) {
  return static_cast<int32_t>(TextSize(text));
}

Text ConcatTexts(std::initializer_list<TextRef> parts) {
  size_t total = 0;
  for (const TextRef& part : parts) total += part.view().size();
  auto* block = static_cast<char*>(RtAllocSize(total + 1));
  char* out = block;
  for (const TextRef& part : parts) {
    std::string_view bytes = part.view();
    if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
    out += bytes.size();
  }
  *out = '\0';
  return Text(block);
}

ByteSet ConcatByteSets(std::initializer_list<ByteSetRef> parts) {
  size_t total = 0;
  for (const ByteSetRef& part : parts) total += static_cast<size_t>(part.size());
  if (total == 0) return ByteSet();
  auto* block = static_cast<unsigned char*>(RtAllocSize(total + 8));
  const int32_t header[2] = {1, static_cast<int32_t>(total)};
  std::memcpy(block, header, sizeof header);
  unsigned char* out = block + 8;
  for (const ByteSetRef& part : parts) {
    if (part.size() == 0) continue;
    std::memcpy(out, ByteSetBytes(part.get()), static_cast<size_t>(part.size()));
    out += part.size();
  }
  return ByteSet(block);
}

int64_t TruncateToInt64(double value) {
  // Out of range and NaN give the "integer indefinite" value, as the processor does.
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
    return INT64_MIN;
  }
  return static_cast<int64_t>(std::trunc(value));
}

unsigned char* ArrayMember(void* block, int32_t index, int32_t member_size) {
  ArrayInfo info = ArrayCountOrZero(block);
  int64_t offset = int64_t{index} - 1;
  if (offset < 0) RaiseRuntimeError(4);
  if (offset >= info.count) RaiseRuntimeError(1);
  return info.members + offset * member_size;
}

void AppendTextMember(void** array_variable, const char* text) {
  constexpr int32_t kMemberSize = sizeof(char*);
  MakeArrayPrivate(kMemberSize, array_variable);
  auto* block = static_cast<unsigned char*>(*array_variable);
  ArrayInfo info = ArrayCountOrZero(block);
  int32_t count = info.count;
  size_t new_size = 8 + static_cast<size_t>(kMemberSize) * (static_cast<size_t>(count) + 1);
  const int32_t header[2] = {1, count + 1};
  int32_t dimensions = 0;
  if (block) std::memcpy(&dimensions, block, sizeof dimensions);
  if (dimensions >= 1) {
    // Shrinking the header to one dimension moves the members down first.
    if (dimensions > 1) {
      std::memmove(block + 8, info.members, static_cast<size_t>(count) * kMemberSize);
    }
    std::memcpy(block, header, sizeof header);
    block = static_cast<unsigned char*>(RtReallocSize(block, new_size));
  } else {
    // No dimensions (or no block): there are no members, and the block may be
    // too small to take the header before it grows.
    block = static_cast<unsigned char*>(RtReallocSize(block, new_size));
    std::memcpy(block, header, sizeof header);
  }
  *array_variable = block;
  char* copy = nullptr;
  if (text) {
    size_t size = std::strlen(text) + 1;
    copy = static_cast<char*>(RtAllocSize(size));
    std::memcpy(copy, text, size);
  }
  SetTextMember(block + 8 + static_cast<size_t>(count) * kMemberSize, copy);
}

int32_t MultipleChoice(int32_t index, int32_t count) {
  if (index < 1 || index > count) RaiseRuntimeError(9);
  return index;
}

void RuntimeService(RuntimeServiceNumber service, int32_t member_size, void** array_variable) {
  switch (service) {
    case RuntimeServiceNumber::InitializeRuntime:
      InitializeRuntime();
      break;
    case RuntimeServiceNumber::MakeArrayPrivate:
      MakeArrayPrivate(member_size, array_variable);
      break;
    default:
      break;
  }
}

void InitializeRuntime() {
  // The heap is the C library's and the constant pool is static storage that
  // registers itself; making the empty constants exist here keeps later
  // look-ups from racing on first use. The program then works from its own
  // folder, wherever it was started from, so relative file names mean the
  // same on every start. Repeated calls change nothing.
  static std::once_flag once;
  std::call_once(once, [] {
    (void)EmptyText();
    (void)Literal("");
    const int entered = ::chdir(platform::ProgramFolder().c_str());
    (void)entered;  // a folder that cannot be entered leaves the start folder
  });
}

void MakeArrayPrivate(int32_t member_size, void** array_variable) {
  void* block = *array_variable;
  if (!block || !InConstantPool(block)) return;
  int32_t dimensions;
  std::memcpy(&dimensions, block, sizeof dimensions);
  ArrayInfo info = ArrayCount(block);
  size_t size = 4 + 4 * static_cast<size_t>(dimensions < 0 ? 0 : dimensions) +
                static_cast<size_t>(info.count) * static_cast<size_t>(member_size);
  void* copy = RtAllocSize(size);
  std::memcpy(copy, block, size);
  *array_variable = copy;
}

}  // namespace rt
