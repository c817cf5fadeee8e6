// Conversions between the runtime's GBK texts and UTF-8, for the edges of the
// system: literals in UTF-8 sources, messages on a Linux terminal, tests.
#pragma once

#include <string>
#include <string_view>

namespace rt {

std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

}  // namespace rt
