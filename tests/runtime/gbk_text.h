// GBK test inputs written in UTF-8 (or as explicit bytes) and GBK results read back.
#pragma once

#include <string>
#include <string_view>

#include "runtime/gbk.h"

namespace rt_test {

inline std::string Gbk(std::string_view utf8) {
  return rt::Utf8ToGbk(utf8);
}

// A two-byte character whose trail byte is "~", and one whose trail byte is "a".
inline const std::string kTildeTrail = "\x81\x7E";
inline const std::string kLetterTrail = "\xB0\x61";
inline const std::string kFullWidthSpace = "\xA1\xA1";

}  // namespace rt_test
