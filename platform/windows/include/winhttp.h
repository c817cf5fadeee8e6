// WinHTTP as the system declares it. The program reaches its functions
// through the runtime's platform function table, which loads "Winhttp.dll"
// on the first call, so nothing links them.
#pragma once

#include "win32_types.h"

#include_next <winhttp.h>
