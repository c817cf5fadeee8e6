// UTF-8 to GBK, through ICU's code page 936 converter. The service
// writes every text answer in GBK; names and page texts are converted once.
#pragma once

#include <string>
#include <string_view>

namespace service {

// Characters GBK cannot hold become "?"; an unusable converter gives "".
// Only used while the service starts (names, page texts), so each call opens
// its own converter.
std::string ToGbk(std::string_view utf8);

}  // namespace service
