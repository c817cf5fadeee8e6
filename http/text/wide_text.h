// Code page 936 texts to UTF-16LE byte sets and back, through the platform
// function table (the request routine and the regular-expression object hand
// UTF-16 to their platform objects).
#pragma once

#include "runtime/owned.h"

namespace http {

// The UTF-16LE form of a GBK text with a two-byte terminator, unless
// `drop_terminator`; an empty text gives an empty byte set.
rt::ByteSet AnsiToWide(rt::TextRef text, bool drop_terminator = false);

// UTF-16LE bytes (an odd last byte is ignored) back to GBK, ending at the first
// NUL so that input carrying its own terminator loses it here.
rt::Text WideToAnsi(rt::ByteSetRef wide);

}  // namespace http
