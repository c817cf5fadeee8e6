#include "service/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace service {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenGbk() {
  UErrorCode status = U_ZERO_ERROR;
  Converter converter(ucnv_open("windows-936-2000", &status));
  if (U_FAILURE(status)) return nullptr;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  return converter;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string wide(utf8.size(), u'\0');  // never more units than bytes
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                       &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr,
                       &status);
  if (U_FAILURE(status)) return {};
  wide.resize(static_cast<size_t>(length));
  return wide;
}

}  // namespace

std::string ToGbk(std::string_view utf8) {
  Converter gbk = OpenGbk();
  std::u16string wide = Utf8ToUtf16(utf8);
  if (!gbk || wide.empty()) return {};
  std::string out(wide.size() * 2, '\0');  // at most two bytes per UTF-16 unit
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_fromUChars(gbk.get(), out.data(), static_cast<int32_t>(out.size()),
                                   reinterpret_cast<const UChar*>(wide.data()),
                                   static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace service
