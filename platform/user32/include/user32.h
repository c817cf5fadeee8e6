// The user32 subset.
#pragma once

#include "win32_types.h"

// The next character of GBK text: two bytes on after a lead byte (0x81-0xFE)
// unless the trail is the terminator, one otherwise; stays on the terminator.
LPSTR CharNextA(LPCSTR current);
