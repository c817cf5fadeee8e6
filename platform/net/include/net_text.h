// Text conversions at the edges of the internet layers: UTF-16 arguments to
// the bytes that go on the wire and back. Header texts use code page 936 both
// ways, so the program's GBK texts survive the round trip byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "win32_types.h"

namespace platform::net {

// Units before the first NUL.
size_t WideLength(LPCWSTR text);
// A caller's (text, length) pair where the platform's "-1" means NUL-terminated.
std::u16string_view WideArgument(LPCWSTR text, DWORD length);

std::string WideToBytes(std::u16string_view text, UINT code_page);
std::u16string BytesToWide(std::string_view bytes, UINT code_page);

}  // namespace platform::net
