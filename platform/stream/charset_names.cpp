#include "charset_names.h"

#include <unicode/ucnv.h>

#include <cctype>

namespace platform {
namespace {

struct CharsetName {
  const char* name;  // lower case
  const char* converter;
};

// Code page 936 uses ICU's model of the platform's table, as the code-page
// functions do; iso-8859-1 is read as windows-1252, which is what pages that
// declare it really contain (0x80-0x9F are printable there, not controls).
constexpr CharsetName kNames[] = {
    {"utf-8", "UTF-8"},
    {"unicode-1-1-utf-8", "UTF-8"},
    {"unicode-2-0-utf-8", "UTF-8"},
    {"gbk", "windows-936-2000"},
    {"gb2312", "windows-936-2000"},
    {"cp936", "windows-936-2000"},
    {"x-gbk", "windows-936-2000"},
    {"chinese", "windows-936-2000"},
    {"csgb2312", "windows-936-2000"},
    {"gb_2312-80", "windows-936-2000"},
    {"iso-ir-58", "windows-936-2000"},
    {"gb18030", "gb18030"},
    {"hz-gb-2312", "HZ"},
    {"big5", "windows-950"},
    {"csbig5", "windows-950"},
    {"x-x-big5", "windows-950"},
    {"unicode", "UTF-16LE"},
    {"utf-16", "UTF-16LE"},
    {"unicodefffe", "UTF-16BE"},
    {"iso-8859-1", "windows-1252"},
    {"latin1", "windows-1252"},
    {"windows-1252", "windows-1252"},
    {"us-ascii", "US-ASCII"},
};

}  // namespace

std::string ConverterForCharset(std::u16string_view name) {
  std::string lower;
  for (char16_t c : name) {
    // Charset names are ASCII; anything else names nothing.
    if (c <= u' ' || c > u'~') return {};
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (lower.empty()) return {};
  for (const CharsetName& entry : kNames) {
    if (lower == entry.name) return entry.converter;
  }
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(lower.c_str(), &error);
  if (U_FAILURE(error) || !converter) return {};
  std::string canonical = ucnv_getName(converter, &error);
  ucnv_close(converter);
  return U_SUCCESS(error) ? canonical : std::string();
}

bool IsUnicodeConverter(std::string_view converter) {
  return converter.starts_with("UTF-") || converter.starts_with("utf-");
}

}  // namespace platform
