// SplitText: cuts a text at every delimiter that starts on a character and
// returns a one-dimensional array of new text blocks (null for empty pieces).
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/core_commands.h"
#include "runtime/text_walk.h"

namespace rt::cmd {
namespace {

// The member texts are collected first; the array block is made once their
// count is known.
class TextArrayBuilder {
 public:
  TextArrayBuilder() = default;
  TextArrayBuilder(const TextArrayBuilder&) = delete;
  TextArrayBuilder& operator=(const TextArrayBuilder&) = delete;

  void Add(std::string_view piece) { members_.push_back(NewText(piece)); }
  void* Finish() {
    void* block = NewArray(static_cast<int32_t>(members_.size()), sizeof(char*));
    if (!members_.empty()) {
      std::memcpy(ArrayCount(block).members, members_.data(), members_.size() * sizeof(char*));
    }
    return block;
  }

 private:
  std::vector<char*> members_;
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
