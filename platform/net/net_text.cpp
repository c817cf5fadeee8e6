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

std::string WideToBytes(std::u16string_view text, UINT code_page) {
  if (text.empty()) return {};
  DWORD saved = GetLastError();
  int units = static_cast<int>(text.size());
  int size = WideCharToMultiByte(code_page, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(code_page, 0, text.data(), units, bytes.data(), size, nullptr, nullptr);
  }
  SetLastError(saved);
  return bytes;
}

std::u16string BytesToWide(std::string_view bytes, UINT code_page) {
  if (bytes.empty()) return {};
  DWORD saved = GetLastError();
  int count = static_cast<int>(bytes.size());
  int size = MultiByteToWideChar(code_page, 0, bytes.data(), count, nullptr, 0);
  std::u16string wide(static_cast<size_t>(size > 0 ? size : 0), u'\0');
  if (size > 0) MultiByteToWideChar(code_page, 0, bytes.data(), count, wide.data(), size);
  SetLastError(saved);
  return wide;
}

}  // namespace platform::net
