// COM initialisation per thread (CoInitialize, CoUninitialize): the system's own.
#pragma once

#include "win32_types.h"

#include <objbase.h>
