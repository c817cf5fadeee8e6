// RAII owners for runtime blocks and borrowed views of them, so code written
// against the runtime cannot leak a block and reads like ordinary C++.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "runtime/blocks.h"
#include "runtime/heap.h"

namespace rt {

// An owned Text block (null is the empty text). Frees its block with RtFree.
class Text {
 public:
  Text() = default;
  explicit Text(char* block) : block_(block) {}
  // A new block holding a copy of `bytes` (empty gives null).
  static Text Copy(std::string_view bytes) { return Text(NewText(bytes)); }
  Text(Text&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  Text& operator=(Text&& other) noexcept {
    // The old block goes after the new value is in place, as for any variable.
    char* old = std::exchange(block_, std::exchange(other.block_, nullptr));
    RtFree(old);
    return *this;
  }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { RtFree(block_); }

  // Never null: an empty text reads as "".
  const char* c_str() const { return block_ ? block_ : ""; }
  const char* get() const { return block_; }
  std::string_view view() const { return TextView(block_); }
  std::string str() const { return std::string(view()); }
  size_t size() const { return TextSize(block_); }
  bool empty() const { return size() == 0; }
  char* release() { return std::exchange(block_, nullptr); }
  void reset(char* block = nullptr) { RtFree(std::exchange(block_, block)); }

 private:
  char* block_ = nullptr;
};

// A borrowed text argument: a block pointer, an owner or a std::string.
class TextRef {
 public:
  TextRef() = default;
  TextRef(const char* text) : text_(text) {}  // NOLINT: implicit by design
  TextRef(const Text& text) : text_(text.get()) {}
  TextRef(const std::string& text) : text_(text.c_str()) {}
  const char* get() const { return text_; }
  std::string_view view() const { return TextView(text_); }

 private:
  const char* text_ = nullptr;
};

// An owned ByteSet block (null is the empty byte set).
class ByteSet {
 public:
  ByteSet() = default;
  explicit ByteSet(void* block) : block_(block) {}
  static ByteSet Copy(const void* bytes, size_t size) { return ByteSet(NewByteSet(bytes, size)); }
  ByteSet(ByteSet&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  ByteSet& operator=(ByteSet&& other) noexcept {
    void* old = std::exchange(block_, std::exchange(other.block_, nullptr));
    RtFree(old);
    return *this;
  }
  ByteSet(const ByteSet&) = delete;
  ByteSet& operator=(const ByteSet&) = delete;
  ~ByteSet() { RtFree(block_); }

  void* get() const { return block_; }
  const uint8_t* data() const { return ByteSetBytes(block_); }
  uint8_t* data() { return ByteSetBytes(block_); }
  int32_t size() const { return ByteSetCount(block_); }
  bool empty() const { return size() == 0; }
  std::string_view view() const {
    return {reinterpret_cast<const char*>(data()), static_cast<size_t>(size())};
  }
  void* release() { return std::exchange(block_, nullptr); }
  void reset(void* block = nullptr) { RtFree(std::exchange(block_, block)); }

 private:
  void* block_ = nullptr;
};

class ByteSetRef {
 public:
  ByteSetRef() = default;
  ByteSetRef(const void* block) : block_(block) {}  // NOLINT: implicit by design
  ByteSetRef(const ByteSet& owner) : block_(owner.get()) {}
  const void* get() const { return block_; }
  int32_t size() const { return ByteSetCount(block_); }

 private:
  const void* block_ = nullptr;
};

// An owned one-dimensional array of owned texts, as the split command returns.
// Members are numbered from 1 and At() is bounds-checked like compiled
// application code (error 4 below 1, error 1 above the count).
class TextArray {
 public:
  TextArray();  // the constant empty array; the first Append makes it private
  explicit TextArray(void* block) : block_(block) {}
  TextArray(TextArray&& other) noexcept;
  TextArray& operator=(TextArray&& other) noexcept;
  TextArray(const TextArray&) = delete;
  TextArray& operator=(const TextArray&) = delete;
  ~TextArray();

  int32_t size() const;
  // Member `index` (1-based), null for a null member; fatal when out of range.
  const char* At(int32_t index) const;
  std::string_view ViewAt(int32_t index) const { return TextView(At(index)); }
  // Appends a copy of `text` (null stays a null member).
  void Append(TextRef text);
  void* get() const { return block_; }
  void* release();

 private:
  void* block_ = nullptr;
};

// Frees an array of texts: each member block first, then the array block.
void FreeTextArray(void* block);

}  // namespace rt
