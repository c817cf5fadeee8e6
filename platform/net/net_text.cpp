#include "net_text.h"

#include "kernel32.h"

namespace platform::net {

size_t WideLength(LPCWSTR text) {
  size_t length = 0;
  if (text) {
    while (text[length]) ++length;
  }
  return length;
}

std::u16string_view WideArgument(LPCWSTR text, DWORD length) {
  if (!text) return {};
  if (length == static_cast<DWORD>(-1)) return {text, WideLength(text)};
  return {text, length};
}

// One conversion into room for the longest possible result, then cut to
// what it wrote: no size query converting the text a first time.
std::string WideToBytes(std::u16string_view text, UINT code_page) {
  if (text.empty()) return {};
  DWORD saved = GetLastError();
  int units = static_cast<int>(text.size());
  // A UTF-16 unit gives at most two bytes of GBK or three of UTF-8.
  std::string bytes(text.size() * (code_page == CP_UTF8 ? 3 : 2), '\0');
  int size = WideCharToMultiByte(code_page, 0, text.data(), units, bytes.data(),
                                 static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<size_t>(size > 0 ? size : 0));
  SetLastError(saved);
  return bytes;
}

std::u16string BytesToWide(std::string_view bytes, UINT code_page) {
  if (bytes.empty()) return {};
  DWORD saved = GetLastError();
  int count = static_cast<int>(bytes.size());
  // Every byte gives at most one UTF-16 unit.
  std::u16string wide(bytes.size(), u'\0');
  int size = MultiByteToWideChar(code_page, 0, bytes.data(), count, wide.data(), count);
  wide.resize(static_cast<size_t>(size > 0 ? size : 0));
  SetLastError(saved);
  return wide;
}

}  // namespace platform::net
