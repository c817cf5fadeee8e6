#include "runtime/wide_text.h"

#include <cstring>
#include <vector>

#include "oleaut32_types.h"
#include "runtime/blocks.h"
#include "runtime/core_commands.h"
#include "runtime/heap.h"
#include "runtime/platform_functions.h"

namespace rt {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

rt::ByteSet AnsiToWide(rt::TextRef text, bool drop_terminator) {
  if (text.view().empty()) return {};
  int units = rt::CallPlatformFunction<rt::kMultiByteToWideChar>(kGbk, DWORD{0}, text.get(), -1,
                                                                 nullptr, 0);
  if (units <= 0) return {};
  // Sized in size_t: doubling a count near 2^30 must not wrap to no block at all.
  rt::ByteSet wide(rt::NewZeroByteSet(2 * static_cast<size_t>(units)));
  rt::CallPlatformFunction<rt::kMultiByteToWideChar>(kGbk, DWORD{0}, text.get(), -1,
                                                     reinterpret_cast<LPWSTR>(wide.data()), units);
  if (drop_terminator) {
    // The block is ours: shortening its count word keeps the first 2n - 2
    // bytes without copying; a lone terminator leaves nothing, which is null.
    int32_t kept = 2 * units - 2;
    if (kept == 0) return {};
    std::memcpy(static_cast<char*>(wide.get()) + 4, &kept, sizeof kept);
  }
  return wide;
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
  int bytes = rt::CallPlatformFunction<rt::kWideCharToMultiByteSize>(
      kGbk, WC_COMPOSITECHECK, data, units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  // A zero-filled buffer with room for a final NUL: the text then ends at the
  // first NUL the conversion produced, or after all of it.
  auto* block = static_cast<char*>(rt::RtAllocSize(static_cast<size_t>(bytes) + 1));
  std::memset(block, 0, static_cast<size_t>(bytes) + 1);
  rt::CallPlatformFunction<rt::kWideCharToMultiByte>(kGbk, WC_COMPOSITECHECK, data, units, block,
                                                     bytes, nullptr, nullptr);
  if (block[0] == '\0') {
    rt::RtFree(block);
    return {};
  }
  return rt::Text(block);
}

LPCWSTR WideChars(const rt::ByteSet& wide) {
  return wide.empty() ? OLESTR("") : reinterpret_cast<LPCWSTR>(wide.data());
}

uint32_t WideLength(const rt::ByteSet& wide) {
  return wide.size() < 2 ? 0 : static_cast<uint32_t>(wide.size() / 2 - 1);
}

}  // namespace rt
