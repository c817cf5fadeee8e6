// The owner of a text array: members and block are freed together.
#include "runtime/owned.h"

#include "runtime/app_routines.h"
#include "runtime/constant_pool.h"

namespace rt {

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
  // Members first, then the array block that holds them.
  ArrayInfo info = ArrayCount(block);
  for (int32_t i = 0; i < info.count; ++i) {
    RtFree(TextMember(info.members + static_cast<size_t>(i) * sizeof(char*)));
  }
  RtFree(block);
}

}  // namespace rt
