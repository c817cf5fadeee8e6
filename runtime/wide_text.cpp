#include "runtime/wide_text.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "oleaut32_types.h"
#include "runtime/blocks.h"
#include "runtime/core_commands.h"
#include "runtime/heap.h"
#include "runtime/platform_functions.h"

namespace rt {
namespace {

constexpr UINT kGbk = 936;
constexpr size_t kByteSetHeader = 8;  // the dimension count and the byte count

// Writes the header of a byte set of `count` bytes into `block` and gives
// back the room beyond them.
void* FinishByteSet(uint8_t* block, int32_t count) {
  const int32_t header[2] = {1, count};
  std::memcpy(block, header, sizeof header);
  return rt::RtReallocSize(block, kByteSetHeader + static_cast<size_t>(count));
}

}  // namespace

rt::ByteSet AnsiToWide(rt::TextRef text, bool drop_terminator) {
  std::string_view bytes = text.view();
  if (bytes.empty()) return {};
  // Every GBK byte gives at most one UTF-16 unit, so the text's length with
  // its terminator bounds the result: one conversion into a block of that
  // size, cut back to what it wrote, with no size query and no zero-fill.
  // Only a text whose bound would not fit in a block asks for its size first.
  const int length = static_cast<int>(bytes.size() + 1);
  int capacity = length;
  if (kByteSetHeader + 2 * static_cast<size_t>(capacity) > rt::kMaxBlockSize) {
    capacity = rt::CallPlatformFunction<rt::kMultiByteToWideChar>(kGbk, DWORD{0}, bytes.data(),
                                                                  length, nullptr, 0);
    if (capacity <= 0) return {};
  }
  auto* block =
      static_cast<uint8_t*>(rt::RtAllocSize(kByteSetHeader + 2 * static_cast<size_t>(capacity)));
  int units = rt::CallPlatformFunction<rt::kMultiByteToWideChar>(
      kGbk, DWORD{0}, bytes.data(), length, reinterpret_cast<LPWSTR>(block + kByteSetHeader),
      capacity);
  // The terminator is converted too; without it only the first n - 1 units stay.
  int32_t kept = units <= 0 ? 0 : 2 * (units - (drop_terminator ? 1 : 0));
  if (kept == 0) {
    rt::RtFree(block);
    return {};
  }
  return rt::ByteSet(FinishByteSet(block, kept));
}

rt::Text WideToAnsi(rt::ByteSetRef wide) {
  int units = wide.size() / 2;
  if (units == 0) return {};
  const auto* data = reinterpret_cast<const WCHAR*>(rt::ByteSetBytes(wide.get()));
  std::vector<WCHAR> aligned;
  if (reinterpret_cast<uintptr_t>(data) % alignof(WCHAR) != 0) {
    aligned.resize(static_cast<size_t>(units));
    std::memcpy(aligned.data(), data, aligned.size() * sizeof(WCHAR));
    data = aligned.data();
  }
  // A unit gives at most two bytes of GBK (composing marks only shortens the
  // text), so one conversion into a block of that size, plus the NUL, needs
  // no size query and no zero-fill.
  size_t capacity = 2 * static_cast<size_t>(units);
  auto* block = static_cast<char*>(rt::RtAllocSize(capacity + 1));
  int bytes = rt::CallPlatformFunction<rt::kWideCharToMultiByte>(
      kGbk, WC_COMPOSITECHECK, data, units, block, static_cast<int>(capacity), nullptr, nullptr);
  // The text ends at the first NUL the conversion produced, or after all of it.
  if (bytes <= 0 || block[0] == '\0') {
    rt::RtFree(block);
    return {};
  }
  block[bytes] = '\0';
  return rt::Text(static_cast<char*>(rt::RtReallocSize(block, static_cast<size_t>(bytes) + 1)));
}

LPCWSTR WideChars(const rt::ByteSet& wide) {
  return wide.empty() ? OLESTR("") : reinterpret_cast<LPCWSTR>(wide.data());
}

uint32_t WideLength(const rt::ByteSet& wide) {
  return wide.size() < 2 ? 0 : static_cast<uint32_t>(wide.size() / 2 - 1);
}

}  // namespace rt
