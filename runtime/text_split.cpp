// SplitText: cuts a text at every delimiter that starts on a character and
// returns a one-dimensional array of new text blocks (null for empty pieces).
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

// The array block is built in place: it grows by half again whenever it is
// full, members are written straight into it, and the header is written and
// the spare room given back once the count is known.
class TextArrayBuilder {
 public:
  TextArrayBuilder() = default;
  TextArrayBuilder(const TextArrayBuilder&) = delete;
  TextArrayBuilder& operator=(const TextArrayBuilder&) = delete;
  ~TextArrayBuilder() {
    for (size_t i = 0; i < count_; ++i) RtFree(TextMember(Member(i)));
    RtFree(block_);
  }

  void Add(std::string_view piece) {
    if (count_ == capacity_) Grow();
    SetTextMember(Member(count_), NewText(piece));
    ++count_;
  }
  // The finished array; the builder is empty afterwards.
  void* Finish() {
    void* block = RtReallocSize(block_, kHeaderSize + count_ * sizeof(char*));
    const int32_t header[2] = {1, static_cast<int32_t>(count_)};
    std::memcpy(block, header, sizeof header);
    block_ = nullptr;
    count_ = capacity_ = 0;
    return block;
  }

 private:
  static constexpr size_t kHeaderSize = 8;  // dimension count and member count
  static constexpr size_t kFirstCapacity = 16;

  unsigned char* Member(size_t index) const { return block_ + kHeaderSize + index * sizeof(char*); }
  void Grow() {
    capacity_ = std::max(kFirstCapacity, capacity_ + capacity_ / 2);
    block_ =
        static_cast<unsigned char*>(RtReallocSize(block_, kHeaderSize + capacity_ * sizeof(char*)));
  }

  unsigned char* block_ = nullptr;
  size_t count_ = 0;
  size_t capacity_ = 0;
};

}  // namespace

void SplitText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  std::string_view delimiter =
      args::Given(args, arg_count, 1) ? args::Text(args, arg_count, 1) : std::string_view(",");
  int32_t maximum = -1;
  if (args::Given(args, arg_count, 2)) maximum = std::max(args::Int(args, arg_count, 2), 0);

  TextArrayBuilder members;
  if (!text.empty() && maximum != 0) {
    if (delimiter.empty()) {
      members.Add(text);
    } else {
      size_t last = 0;
      bool stopped = false;
      for (;;) {
        size_t cut = walk::FindExact(text, delimiter, last);
        if (cut == std::string_view::npos) break;
        members.Add(text.substr(last, cut - last));
        last = cut + delimiter.size();
        if (maximum > 0 && --maximum == 0) {
          stopped = true;  // the rest of the text is discarded
          break;
        }
      }
      if (!stopped && last < text.size()) members.Add(text.substr(last));
    }
  }
  args::SetPointer(result, members.Finish());
}

}  // namespace rt::cmd
