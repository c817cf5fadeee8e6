// Character-set names as web pages declare them, mapped to ICU converters.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The ICU converter for a charset name (case-insensitive): the common web
// names first, then any name ICU knows as an alias. Empty when unknown.
std::string ConverterForCharset(std::u16string_view name);

// Whether text in this converter's charset may start with a byte-order mark
// that belongs to no character.
bool IsUnicodeConverter(std::string_view converter);

}  // namespace platform
