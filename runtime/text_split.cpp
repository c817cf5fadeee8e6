// SplitText: cuts a text at every delimiter that starts on a character and
// returns a one-dimensional array of new text blocks (null for empty pieces).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/core_commands.h"
#include "runtime/heap.h"
#include "runtime/text_walk.h"

namespace rt::cmd {
namespace {

constexpr size_t kHeader = 8;  // dimension count 1, member count
// A thread's scratch list keeps its room between splits up to this many members.
constexpr size_t kKeptScratch = 1 << 18;

// A new text block holding `piece`, null when it is empty. Quote fields are a
// few bytes long, so short copies are done inline with overlapping moves
// rather than through a library call.
char* CopyPiece(std::string_view piece) {
  size_t n = piece.size();
  if (n == 0) return nullptr;
  auto* block = static_cast<char*>(RtAllocSize(n + 1));
  const char* from = piece.data();
  if (n > 16) {
    std::memcpy(block, from, n);
  } else if (n >= 8) {
    uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + n - 8, 8);
    std::memcpy(block, &head, 8);
    std::memcpy(block + n - 8, &tail, 8);
  } else if (n >= 4) {
    uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + n - 4, 4);
    std::memcpy(block, &head, 4);
    std::memcpy(block + n - 4, &tail, 4);
  } else {
    for (size_t i = 0; i < n; ++i) block[i] = from[i];
  }
  block[n] = '\0';
  return block;
}

// Collects the member blocks in a per-thread scratch list and allocates the
// array block last, once its size is known. Allocating the big block after the
// many small ones lets the small ones reuse the blocks freed by the previous
// split, instead of the allocator merging those first.
class TextArrayBuilder {
 public:
  TextArrayBuilder() : members_(Scratch()) { members_.clear(); }
  TextArrayBuilder(const TextArrayBuilder&) = delete;
  TextArrayBuilder& operator=(const TextArrayBuilder&) = delete;
  ~TextArrayBuilder() {
    members_.clear();
    if (members_.capacity() > kKeptScratch) std::vector<char*>().swap(members_);
  }

  void Add(std::string_view piece) { members_.push_back(CopyPiece(piece)); }
  void* Finish() {
    size_t bytes = members_.size() * sizeof(char*);
    auto* block = static_cast<unsigned char*>(RtAllocSize(kHeader + bytes));
    const int32_t header[2] = {1, static_cast<int32_t>(members_.size())};
    std::memcpy(block, header, sizeof header);
    if (bytes != 0) std::memcpy(block + kHeader, members_.data(), bytes);
    return block;
  }

 private:
  static std::vector<char*>& Scratch() {
    thread_local std::vector<char*> scratch;
    return scratch;
  }

  std::vector<char*>& members_;
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
