// GBK forms of UTF-8 literals for tests, which keep their sources UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace test {

// The GBK bytes of a UTF-8 text.
std::string Gbk(std::string_view utf8);
// The UTF-8 form of GBK bytes, for readable failure messages.
std::string Utf8(std::string_view gbk);

}  // namespace test
