// COM initialisation per thread (CoInitialize, CoUninitialize): the system's own.
#pragma once

#include <objbase.h>
#include "win32_types.h"
