// The one place where runtime texts (GBK, code page 936) meet Qt's UTF-16
// strings: every text shown in a unit or read back from one passes here once.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ui {

QString GbkToQString(std::string_view gbk);
std::string QStringToGbk(const QString& text);

// The text of a UTF-8 literal as the runtime holds it (through its GBK form),
// so form captions show exactly what a read-back would return.
QString LiteralToQString(const char* utf8);

// The longest prefix of `gbk` of at most `max_bytes` bytes that does not cut a
// two-byte character in half.
std::string_view GbkPrefix(std::string_view gbk, size_t max_bytes);

}  // namespace ui
