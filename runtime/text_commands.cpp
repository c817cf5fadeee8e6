// Text slicing, searching, trimming and comparison. Slicing counts bytes and may
// cut a two-byte character; the others walk characters (see text_walk.h).
#include <algorithm>
#include <string_view>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/core_commands.h"
#include "runtime/heap.h"
#include "runtime/text_walk.h"

namespace rt::cmd {
namespace {

using walk::IsLead;

// A new text of `n` bytes of `text` from byte `p`; both already within range.
void SetSlice(ValueRecord* result, std::string_view text, int64_t p, int64_t n) {
  args::SetPointer(result, NewText(text.substr(static_cast<size_t>(p), static_cast<size_t>(n))));
}

bool IsFullWidthSpace(const unsigned char* bytes, size_t i, size_t size) {
  return bytes[i] == 0xA1 && i + 1 < size && bytes[i + 1] == 0xA1;
}

// One character as a comparable unit: a two-byte character is lead * 256 + trail.
unsigned CharacterUnit(const unsigned char* bytes, size_t& i, size_t size, bool fold) {
  unsigned char byte = bytes[i++];
  if (!IsLead(byte)) return fold ? walk::FoldAscii(byte) : byte;
  unsigned trail = i < size ? bytes[i++] : 0;
  return (unsigned{byte} << 8) | trail;
}

}  // namespace

void TextLength(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetInt(result, static_cast<int32_t>(args::Text(args, arg_count, 0).size()));
}

void TextLeft(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  int64_t n = args::Int(args, arg_count, 1);
  if (n <= 0) return;
  SetSlice(result, text, 0, std::min<int64_t>(n, static_cast<int64_t>(text.size())));
}

void TextRight(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  int64_t n = std::min<int64_t>(args::Int(args, arg_count, 1), static_cast<int64_t>(text.size()));
  if (n <= 0) return;
  SetSlice(result, text, static_cast<int64_t>(text.size()) - n, n);
}

void TextMiddle(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  auto length = static_cast<int64_t>(text.size());
  int64_t p = int64_t{args::Int(args, arg_count, 1)} - 1;
  int64_t n = args::Int(args, arg_count, 2);
  if (p < 0 || p >= length || n <= 0) return;
  SetSlice(result, text, p, std::min(n, length - p));
}

void FindText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  std::string_view sought = args::Text(args, arg_count, 1);
  int64_t p = std::max<int64_t>(int64_t{args::Int(args, arg_count, 2, 1)} - 1, 0);
  // Only the exact value 1 asks for a case-insensitive search.
  bool ignore_case = args::Given(args, arg_count, 3) && args[3].low == 1;
  size_t from = static_cast<size_t>(std::min<int64_t>(p, static_cast<int64_t>(text.size())));
  int32_t found = -1;
  if (sought.empty()) {
    found = from < text.size() ? 1 : -1;
  } else {
    size_t pos = walk::Find(text, sought, from, !ignore_case);
    if (pos != std::string_view::npos) found = static_cast<int32_t>(pos + 1);
  }
  args::SetInt(result, found);
}

void TrimSpaces(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t size = text.size();
  size_t begin = 0;
  while (begin < size) {
    if (bytes[begin] == ' ') {
      ++begin;
    } else if (IsFullWidthSpace(bytes, begin, size)) {
      begin += 2;
    } else {
      break;
    }
  }
  // `end` is where the text stops once a trailing run of spaces is left out; a
  // lead byte with no second byte ends the walk and is dropped with that run.
  size_t end = begin;
  for (size_t i = begin; i < size;) {
    if (bytes[i] == ' ') {
      ++i;
    } else if (IsFullWidthSpace(bytes, i, size)) {
      i += 2;
    } else if (IsLead(bytes[i])) {
      if (i + 1 >= size) break;
      i += 2;
      end = i;
    } else {
      end = ++i;
    }
  }
  args::SetPointer(result, NewText(text.substr(begin, end - begin)));
}

void RemoveSpaces(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view text = args::Text(args, arg_count, 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t size = text.size();
  auto* out = static_cast<char*>(RtAllocSize(size + 1));
  size_t kept = 0;
  for (size_t i = 0; i < size;) {
    if (bytes[i] == ' ') {
      ++i;
    } else if (IsFullWidthSpace(bytes, i, size)) {
      i += 2;
    } else if (IsLead(bytes[i])) {
      if (i + 1 >= size) break;  // a lone lead byte at the end is dropped
      out[kept++] = text[i];
      out[kept++] = text[i + 1];
      i += 2;
    } else {
      out[kept++] = text[i++];
    }
  }
  if (kept == 0) {
    RtFree(out);
    return;
  }
  out[kept] = '\0';
  args::SetPointer(result, out);
}

void CompareText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view a = args::Text(args, arg_count, 0);
  std::string_view b = args::Text(args, arg_count, 1);
  bool fold = !args::Flag(args, arg_count, 2);
  const auto* abytes = reinterpret_cast<const unsigned char*>(a.data());
  const auto* bbytes = reinterpret_cast<const unsigned char*>(b.data());
  size_t i = 0, j = 0;
  int32_t order = 0;
  while (order == 0 && (i < a.size() || j < b.size())) {
    if (i >= a.size()) {
      order = -1;
    } else if (j >= b.size()) {
      order = 1;
    } else {
      unsigned ua = CharacterUnit(abytes, i, a.size(), fold);
      unsigned ub = CharacterUnit(bbytes, j, b.size(), fold);
      order = ua < ub ? -1 : (ua > ub ? 1 : 0);
    }
  }
  args::SetInt(result, order);
}

}  // namespace rt::cmd
