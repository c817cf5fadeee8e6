#include "runtime/gbk.h"

#include <string>

#include "kernel32.h"

namespace rt {
namespace {

std::string Convert(std::string_view input, UINT from, UINT to) {
  if (input.empty()) return {};
  int length = static_cast<int>(input.size());
  int wide_count = MultiByteToWideChar(from, 0, input.data(), length, nullptr, 0);
  if (wide_count <= 0) return {};
  std::basic_string<WCHAR> wide(static_cast<size_t>(wide_count), WCHAR{0});
  MultiByteToWideChar(from, 0, input.data(), length, wide.data(), wide_count);
  int byte_count =
      WideCharToMultiByte(to, 0, wide.data(), wide_count, nullptr, 0, nullptr, nullptr);
  if (byte_count <= 0) return {};
  std::string output(static_cast<size_t>(byte_count), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wide_count, output.data(), byte_count, nullptr, nullptr);
  return output;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  return Convert(utf8, CP_UTF8, CP_GBK);
}
std::string GbkToUtf8(std::string_view gbk) {
  return Convert(gbk, CP_GBK, CP_UTF8);
}

}  // namespace rt
