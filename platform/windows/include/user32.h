// The user32 functions the program calls are the system's own.
#pragma once

#include "win32_types.h"
