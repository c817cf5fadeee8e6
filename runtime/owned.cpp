// The owner of a text array: members and block are freed together.
#include "runtime/owned.h"

#include <cstring>
#include <vector>

#include "runtime/app_routines.h"
#include "runtime/constant_pool.h"

namespace rt {
namespace {

// The C library merges its small free blocks whenever a block of 64 KiB or
// more is freed.
constexpr size_t kLargeArrayBytes = 64 << 10;
// Pointers kept for reuse by a thread's scratch list.
constexpr size_t kKeptScratch = 1 << 18;

}  // namespace

// Starts as the shared constant empty array, as array variables do; the first
// Append gives it a private block.
TextArray::TextArray() : block_(const_cast<void*>(EmptyArray())) {}

TextArray::TextArray(TextArray&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}

TextArray& TextArray::operator=(TextArray&& other) noexcept {
  void* old = std::exchange(block_, std::exchange(other.block_, nullptr));
  FreeTextArray(old);
  return *this;
}

TextArray::~TextArray() {
  FreeTextArray(block_);
}

int32_t TextArray::size() const {
  return ArrayCountOrZero(block_).count;
}

const char* TextArray::At(int32_t index) const {
  return TextMember(ArrayMember(block_, index, sizeof(char*)));
}

void TextArray::Append(TextRef text) {
  AppendTextMember(&block_, text.get());
}

void* TextArray::release() {
  return std::exchange(block_, nullptr);
}

void FreeTextArray(void* block) {
  // A constant array's members are constants too.
  if (!block || InConstantPool(block)) return;
  ArrayInfo info = ArrayCount(block);
  auto count = static_cast<size_t>(info.count);
  if (count * sizeof(char*) < kLargeArrayBytes) {
    for (size_t i = 0; i < count; ++i) RtFree(TextMember(info.members + i * sizeof(char*)));
    RtFree(block);
    return;
  }
  // Freeing a large block makes the C library merge every small free block it
  // holds. Releasing the array block before its many members keeps those
  // members reusable as they are by the next split, instead of merging them.
  thread_local std::vector<char*> members;
  members.resize(count);
  std::memcpy(members.data(), info.members, count * sizeof(char*));
  RtFree(block);
  for (char* member : members) RtFree(member);
  members.clear();
  if (members.capacity() > kKeptScratch) std::vector<char*>().swap(members);
}

}  // namespace rt
