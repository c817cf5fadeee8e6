#include "ui/win32/gbk_wide.h"

#include <windows.h>

#include "runtime/constant_pool.h"

namespace ui {
namespace {

constexpr UINT kGbkCodePage = 936;

}  // namespace

std::wstring GbkToWide(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int bytes = static_cast<int>(gbk.size());
  const int wide_count = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), bytes, nullptr, 0);
  if (wide_count <= 0) return {};
  std::wstring wide(static_cast<size_t>(wide_count), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), bytes, wide.data(), wide_count);
  return wide;
}

std::string WideToGbk(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int wide_count = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(kGbkCodePage, 0, wide.data(), wide_count, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string gbk(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), wide_count, gbk.data(), bytes, nullptr,
                      nullptr);
  return gbk;
}

std::wstring LiteralToWide(const char* utf8) {
  if (!utf8 || !*utf8) return {};
  return GbkToWide(rt::Literal(utf8));
}

}  // namespace ui
