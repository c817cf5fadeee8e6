// Any text as a URL through WinHttpCrackUrl, and through the file fetch's
// splitting: InternetCanonicalizeUrlA, then InternetCrackUrlA. Every pointer
// handed back must lie inside the caller's string with its length, copies into
// caller buffers must agree with those pointers, and a buffer too small must
// be reported with the size it needs.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "kernel32.h"
#include "winhttp.h"
#include "wininet.h"

namespace {

using fuzz::Check;

template <class Components, class Char>
auto Slots(Components& parts) {
  struct Slot {
    Char** pointer;
    DWORD* length;
  };
  return std::vector<Slot>{
      {&parts.lpszScheme, &parts.dwSchemeLength},
      {&parts.lpszHostName, &parts.dwHostNameLength},
      {&parts.lpszUserName, &parts.dwUserNameLength},
      {&parts.lpszPassword, &parts.dwPasswordLength},
      {&parts.lpszUrlPath, &parts.dwUrlPathLength},
      {&parts.lpszExtraInfo, &parts.dwExtraInfoLength},
  };
}

// Cracks `url` (exactly `length` units, or NUL-terminated when `length` is 0)
// twice: once for pointers into it, once into buffers of the sizes the fuzzer
// picks, and checks both against each other.
template <class Char, class Components, class Crack>
void CheckCrack(Crack crack, const Char* url, size_t url_units, DWORD length,
                FuzzedDataProvider& data) {
  Components pointers{};
  pointers.dwStructSize = sizeof pointers;
  auto pointer_slots = Slots<Components, Char>(pointers);
  bool want_extra = data.ConsumeBool();
  for (auto& slot : pointer_slots) *slot.length = static_cast<DWORD>(-1);
  if (!want_extra) pointers.dwExtraInfoLength = 0;
  if (!crack(url, length, 0, &pointers)) return;
  for (auto& slot : pointer_slots) {
    if (!*slot.pointer) {
      Check(*slot.length == 0);
      continue;
    }
    Check(*slot.pointer >= url && *slot.pointer <= url + url_units);
    Check(*slot.length <= static_cast<size_t>(url + url_units - *slot.pointer));
  }
  Check(pointers.lpszHostName && pointers.dwHostNameLength > 0);
  // Without the extra information asked for, the path runs to the end.
  if (!want_extra && pointers.lpszUrlPath) {
    Check(pointers.lpszUrlPath + pointers.dwUrlPathLength == url + url_units);
  }

  Components copies{};
  copies.dwStructSize = sizeof copies;
  auto copy_slots = Slots<Components, Char>(copies);
  std::vector<std::vector<Char>> buffers;
  for (auto& slot : copy_slots) {
    DWORD size = data.ConsumeIntegralInRange<DWORD>(1, 48);
    buffers.emplace_back(size, Char('*'));
    *slot.pointer = buffers.back().data();
    *slot.length = size;
  }
  if (!want_extra) copies.dwExtraInfoLength = 0;
  if (!want_extra) copy_slots.pop_back();
  std::vector<DWORD> sizes;
  for (auto& slot : copy_slots) sizes.push_back(*slot.length);
  BOOL copied = crack(url, length, 0, &copies);
  for (size_t i = 0; i < copy_slots.size(); ++i) {
    DWORD wanted = pointer_slots[i].pointer ? *pointer_slots[i].length : 0;
    if (copied) {
      Check(*copy_slots[i].length == wanted);
      Check(std::memcmp(*copy_slots[i].pointer,
                        *pointer_slots[i].pointer ? *pointer_slots[i].pointer : url,
                        wanted * sizeof(Char)) == 0);
      Check((*copy_slots[i].pointer)[wanted] == Char{});
    } else {
      Check(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
      // A part that did not fit reports its size with the NUL; the others keep theirs.
      Check(*copy_slots[i].length == (sizes[i] <= wanted ? wanted + 1 : sizes[i]));
    }
  }
  if (!copied) {
    bool any_too_small = false;
    for (size_t i = 0; i < copy_slots.size(); ++i) {
      any_too_small |= sizes[i] <= *pointer_slots[i].length;
    }
    Check(any_too_small);
  }
}

void CheckWinHttp(FuzzedDataProvider& data) {
  bool counted = data.ConsumeBool();
  std::string raw = data.ConsumeRandomLengthString(512);
  std::vector<char16_t> units(raw.size() / 2);
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                     static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  }
  size_t url_units = units.size();
  if (!counted) {
    // NUL-terminated: the URL ends at its first NUL unit.
    for (size_t i = 0; i < units.size() && url_units == units.size(); ++i) {
      if (units[i] == 0) url_units = i;
    }
    units.resize(url_units);
    units.push_back(0);
  } else if (url_units == 0) {
    return;  // a zero length means NUL-terminated, which this buffer is not
  }
  CheckCrack<char16_t, URL_COMPONENTS>(WinHttpCrackUrl, units.data(), url_units,
                                       counted ? static_cast<DWORD>(url_units) : 0, data);
}

void CheckFetchSplit(FuzzedDataProvider& data) {
  bool encode = data.ConsumeBool();
  std::string url = data.ConsumeRandomLengthString(512);
  url = url.substr(0, url.find('\0'));
  DWORD flags = encode ? 0 : ICU_NO_ENCODE;

  DWORD size = 0;
  Check(!InternetCanonicalizeUrlA(url.c_str(), nullptr, &size, flags));
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
  Check(size > 0);
  std::vector<char> canonical(size + 1, '*');
  DWORD length = size;
  Check(InternetCanonicalizeUrlA(url.c_str(), canonical.data(), &length, flags));
  Check(length == size - 1 && canonical[length] == '\0' && std::strlen(canonical.data()) == length);
  // A buffer one byte short is refused with the same size.
  DWORD short_length = size - 1;
  Check(!InternetCanonicalizeUrlA(url.c_str(), canonical.data(), &short_length, flags));
  Check(short_length == size);

  if (!encode) {
    // The canonical form is its own canonical form.
    std::vector<char> twice(size + 1, '*');
    DWORD twice_length = size + 1;
    Check(InternetCanonicalizeUrlA(canonical.data(), twice.data(), &twice_length, flags));
    Check(std::strcmp(twice.data(), canonical.data()) == 0);
  }
  // The fetch cracks the canonical form, NUL-terminated, in its own buffer.
  std::vector<char> exact(canonical.data(), canonical.data() + length + 1);
  CheckCrack<char, URL_COMPONENTSA>(InternetCrackUrlA, exact.data(), length, 0, data);
  // And counted, without the terminator.
  if (length > 0) {
    std::vector<char> counted(canonical.data(), canonical.data() + length);
    CheckCrack<char, URL_COMPONENTSA>(InternetCrackUrlA, counted.data(), length, length, data);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  if (data.ConsumeBool()) {
    CheckWinHttp(data);
  } else {
    CheckFetchSplit(data);
  }
  return 0;
}
