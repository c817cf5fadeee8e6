// GBK forms of UTF-8 literals for tests, which keep their sources UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace test {

// The GBK bytes of a UTF-8 text.
std::string Gbk(std::string_view utf8);
// The UTF-8 form of GBK bytes, for readable failure messages.
std::string Utf8(std::string_view gbk);

// A two-byte character whose trail byte is "~", one whose trail byte is "a",
// and the full-width space.
inline const std::string kTildeTrail = "\x81\x7E";
inline const std::string kLetterTrail = "\xB0\x61";
inline const std::string kFullWidthSpace = "\xA1\xA1";

}  // namespace test
