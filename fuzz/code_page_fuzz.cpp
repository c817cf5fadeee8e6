// Any bytes and any UTF-16 units through MultiByteToWideChar and
// WideCharToMultiByte, code page 936 and UTF-8, valid or not. Checked: the size
// a query reports is what the conversion writes, a buffer one unit short is
// refused, the NUL-terminated form counts its terminator, a query's cached
// result never serves different input, and the round trips that hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_check.h"
#include "kernel32.h"

namespace {

using fuzz::Check;

// Returns the conversion, or nothing when it fails; `count` gets the result of
// the size query.
std::u16string ToWide(UINT code_page, DWORD flags, const std::string& bytes, int* count,
                      bool* failed) {
  *failed = false;
  int length = static_cast<int>(bytes.size());
  *count = MultiByteToWideChar(code_page, flags, bytes.data(), length, nullptr, 0);
  if (*count == 0) {
    *failed = true;
    return {};
  }
  std::u16string wide(static_cast<size_t>(*count), u'\0');
  int written = MultiByteToWideChar(code_page, flags, bytes.data(), length, wide.data(), *count);
  Check(written == *count);
  return wide;
}

std::string ToBytes(UINT code_page, DWORD flags, const std::u16string& wide, int* count) {
  int length = static_cast<int>(wide.size());
  *count = WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  Check(*count > 0);  // every unit converts to something
  std::string bytes(static_cast<size_t>(*count), '\0');
  int written = WideCharToMultiByte(code_page, flags, wide.data(), length, bytes.data(), *count,
                                    nullptr, nullptr);
  Check(written == *count);
  return bytes;
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    size_t extra;
    uint32_t code, minimum;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if ((byte & 0xE0) == 0xC0) {
      extra = 1, code = byte & 0x1F, minimum = 0x80;
    } else if ((byte & 0xF0) == 0xE0) {
      extra = 2, code = byte & 0x0F, minimum = 0x800;
    } else if ((byte & 0xF8) == 0xF0) {
      extra = 3, code = byte & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// The units with every lone surrogate made U+FFFD, as UTF-8 carries them.
std::u16string WithoutLoneSurrogates(std::u16string wide) {
  for (size_t i = 0; i < wide.size(); ++i) {
    bool high = wide[i] >= 0xD800 && wide[i] <= 0xDBFF;
    bool low = wide[i] >= 0xDC00 && wide[i] <= 0xDFFF;
    if (high && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      ++i;
    } else if (high || low) {
      wide[i] = 0xFFFD;
    }
  }
  return wide;
}

void CheckBytesToWide(UINT code_page, FuzzedDataProvider& data) {
  bool strict = data.ConsumeBool();
  std::string bytes = data.ConsumeRandomLengthString(1024);
  if (bytes.empty()) return;
  int count;
  bool failed;
  std::u16string wide =
      ToWide(code_page, strict ? MB_ERR_INVALID_CHARS : 0, bytes, &count, &failed);
  if (code_page == CP_UTF8) Check(!strict || failed == !IsValidUtf8(bytes));
  if (failed) {
    Check(strict && GetLastError() == ERROR_NO_UNICODE_TRANSLATION);
    return;
  }
  Check(count <= static_cast<int>(bytes.size()));  // never more units than bytes

  // One unit short is refused, straight after a size query and without one.
  if (count > 1) {
    std::u16string small(static_cast<size_t>(count) - 1, u'\0');
    for (bool query_first : {true, false}) {
      if (query_first) {
        MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
      }
      Check(MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()),
                                small.data(), count - 1) == 0);
      Check(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    }
  }

  // The NUL-terminated form up to the first NUL counts the terminator.
  std::string text = bytes.substr(0, bytes.find('\0'));
  int terminated = MultiByteToWideChar(code_page, 0, text.c_str(), -1, nullptr, 0);
  int plain = text.empty() ? 0
                           : MultiByteToWideChar(code_page, 0, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0);
  Check(terminated == plain + 1);

  // A size query followed by a conversion of other bytes in the same place
  // converts those bytes.
  std::string changed = bytes;
  changed[changed.size() / 2] ^= 0x5A;
  std::u16string expected = ToWide(code_page, 0, changed, &count, &failed);
  std::string place = bytes;
  MultiByteToWideChar(code_page, 0, place.data(), static_cast<int>(place.size()), nullptr, 0);
  place = changed;
  std::u16string converted(expected.size() + 8, u'\0');
  int written = MultiByteToWideChar(code_page, 0, place.data(), static_cast<int>(place.size()),
                                    converted.data(), static_cast<int>(converted.size()));
  converted.resize(static_cast<size_t>(written));
  Check(converted == expected);

  // Whatever the bytes decoded to survives a trip out and back.
  int byte_count;
  std::string back = ToBytes(code_page, 0, wide, &byte_count);
  std::u16string again = ToWide(code_page, 0, back, &count, &failed);
  Check(again == wide);
  if (code_page == CP_UTF8 && IsValidUtf8(bytes)) Check(back == bytes);
}

void CheckWideToBytes(UINT code_page, FuzzedDataProvider& data) {
  DWORD flags = 0;
  if (code_page != CP_UTF8 && data.ConsumeBool()) flags |= WC_COMPOSITECHECK;
  if (code_page != CP_UTF8 && data.ConsumeBool()) flags |= WC_NO_BEST_FIT_CHARS;
  std::string raw = data.ConsumeRandomLengthString(1024);
  std::u16string wide(raw.size() / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                    static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  }
  if (wide.empty()) return;
  int count;
  std::string bytes = ToBytes(code_page, flags, wide, &count);
  Check(count <= static_cast<int>(wide.size()) * (code_page == CP_UTF8 ? 3 : 2));

  std::string small(static_cast<size_t>(count), '\0');
  if (count > 1) {
    Check(WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()),
                              small.data(), count - 1, nullptr, nullptr) == 0);
    Check(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  }
  if (code_page == CP_GBK && flags == 0) {
    BOOL used_default = FALSE;
    char substitute = '#';
    int with_default = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                           small.data(), count, &substitute, &used_default);
    // Only substituted characters differ, and only then is the flag set.
    Check(with_default == count);
    Check(used_default || small == bytes);
  }
  if (code_page == CP_UTF8) {
    bool failed;
    Check(ToWide(code_page, 0, bytes, &count, &failed) == WithoutLoneSurrogates(wide));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  UINT code_page = data.ConsumeBool() ? CP_UTF8 : CP_GBK;
  if (data.ConsumeBool()) {
    CheckBytesToWide(code_page, data);
  } else {
    CheckWideToBytes(code_page, data);
  }
  return 0;
}
