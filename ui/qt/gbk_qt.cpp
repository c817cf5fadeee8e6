#include "ui/qt/gbk_qt.h"

#include <vector>

#include "kernel32.h"
#include "runtime/constant_pool.h"

namespace ui {

QString GbkToQString(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int bytes = static_cast<int>(gbk.size());
  const int wide_count = MultiByteToWideChar(CP_GBK, 0, gbk.data(), bytes, nullptr, 0);
  if (wide_count <= 0) return {};
  std::vector<char16_t> wide(static_cast<size_t>(wide_count));
  MultiByteToWideChar(CP_GBK, 0, gbk.data(), bytes, wide.data(), wide_count);
  return QString::fromUtf16(wide.data(), wide_count);
}

std::string QStringToGbk(const QString& text) {
  if (text.isEmpty()) return {};
  const auto* wide = reinterpret_cast<LPCWSTR>(text.utf16());
  const int wide_count = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_GBK, 0, wide, wide_count, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string gbk(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_GBK, 0, wide, wide_count, gbk.data(), bytes, nullptr, nullptr);
  return gbk;
}

QString LiteralToQString(const char* utf8) {
  if (!utf8 || !*utf8) return {};
  return GbkToQString(rt::Literal(utf8));
}

std::string_view GbkPrefix(std::string_view gbk, size_t max_bytes) {
  if (gbk.size() <= max_bytes) return gbk;
  size_t end = 0;
  while (end < max_bytes) {
    const size_t step = static_cast<unsigned char>(gbk[end]) & 0x80 ? 2 : 1;
    if (end + step > max_bytes) break;
    end += step;
  }
  return gbk.substr(0, end);
}

}  // namespace ui
