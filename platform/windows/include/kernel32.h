// The kernel32 functions the program calls (threads, code-page conversion,
// the last error, the user's locale) are the system's own.
#pragma once

#include "win32_types.h"
