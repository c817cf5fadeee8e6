// ReplaceText: replaces matches found by walking characters from the start
// position; the result is built once in a growing heap block.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/core_commands.h"
#include "runtime/heap.h"
#include "runtime/text_walk.h"

namespace rt::cmd {
namespace {

// A text block under construction; grows geometrically.
class TextBuilder {
 public:
  explicit TextBuilder(size_t capacity) : capacity_(std::max<size_t>(capacity, 16)) {
    data_ = static_cast<char*>(RtAllocSize(capacity_));
  }
  TextBuilder(const TextBuilder&) = delete;
  TextBuilder& operator=(const TextBuilder&) = delete;
  ~TextBuilder() { RtFree(data_); }

  void Append(std::string_view bytes) {
    if (bytes.empty()) return;
    Reserve(size_ + bytes.size() + 1);
    std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  // The finished text, or null when it is empty.
  char* Finish() {
    if (size_ == 0) return nullptr;
    data_[size_] = '\0';
    char* text = data_;
    if (capacity_ - size_ > 4096) text = static_cast<char*>(RtReallocSize(text, size_ + 1));
    data_ = nullptr;
    return text;
  }

 private:
  void Reserve(size_t needed) {
    if (needed <= capacity_) return;
    // Doubling stops at the largest block, so a text that fits one is not
    // refused for the room it would only have had spare.
    capacity_ = std::max(needed, std::min(capacity_ * 2, kMaxBlockSize));
    data_ = static_cast<char*>(RtReallocSize(data_, capacity_));
  }

  char* data_;
  size_t size_ = 0;
  size_t capacity_;
};

}  // namespace

void ReplaceText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  std::string_view find = args::Text(args, arg_count, 1);
  std::string_view replacement = args::Text(args, arg_count, 2);
  int64_t p = std::max<int64_t>(int64_t{args::Int(args, arg_count, 3, 1)} - 1, 0);
  int32_t count = args::Int(args, arg_count, 4, -1);
  bool exact = args::Flag(args, arg_count, 5);
  if (text.empty() || find.empty() || p >= static_cast<int64_t>(text.size()) || count == 0) {
    args::SetPointer(result, NewText(text));
    return;
  }
  size_t pos = static_cast<size_t>(p);
  TextBuilder out(text.size() + 1);
  out.Append(text.substr(0, pos));
  // Every match ends where the next walk step starts, so `pos` is always the
  // start of a character.
  while (count != 0) {
    size_t match = walk::Find(text, find, pos, exact);
    if (match == std::string_view::npos) break;
    out.Append(text.substr(pos, match - pos));
    out.Append(replacement);
    pos = match + find.size();
    if (count > 0) --count;
  }
  std::string_view rest = text.substr(pos);
  // A lead byte at the very end with no second byte is dropped.
  if (!rest.empty() && walk::IsLead(static_cast<unsigned char>(rest.back())) &&
      walk::StartsCharacter(text, pos, text.size() - 1)) {
    rest.remove_suffix(1);
  }
  out.Append(rest);
  args::SetPointer(result, out.Finish());
}

}  // namespace rt::cmd
