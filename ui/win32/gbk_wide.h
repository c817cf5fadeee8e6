// The one place where runtime texts (GBK, code page 936) meet the controls'
// UTF-16 texts: every text shown in a unit or read back from one passes here
// once. The conversion is the system's own for code page 936, whatever the
// system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace ui {

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

// The text of a UTF-8 literal as the runtime holds it (through its GBK form),
// so form captions show exactly what a read-back would return.
std::wstring LiteralToWide(const char* utf8);

}  // namespace ui
