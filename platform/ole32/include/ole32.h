// The ole32 subset: per-thread COM initialisation, counted in balanced pairs.
#pragma once

#include "win32_types.h"

// S_OK on a thread's first call, S_FALSE on every nested one.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
