// Code page 936 texts to UTF-16LE byte sets and back, through the platform
// function table (the request routine and the regular-expression object hand
// UTF-16 to their platform objects).
#pragma once

#include <cstdint>

#include "runtime/owned.h"
#include "win32_types.h"

namespace rt {

// The UTF-16LE form of a GBK text with a two-byte terminator, unless
// `drop_terminator`; an empty text gives an empty byte set.
rt::ByteSet AnsiToWide(rt::TextRef text, bool drop_terminator = false);

// UTF-16LE bytes (an odd last byte is ignored) back to GBK, ending at the first
// NUL so that input carrying its own terminator loses it here.
rt::Text WideToAnsi(rt::ByteSetRef wide);

// The characters of a byte set made by AnsiToWide, or "" when it is empty,
// so a platform call always receives a terminated string.
LPCWSTR WideChars(const rt::ByteSet& wide);
// Its length in UTF-16 units without the terminator (0 when empty).
uint32_t WideLength(const rt::ByteSet& wide);

}  // namespace rt
