// The ole32 subset: per-thread COM initialisation, counted in balanced pairs.
#pragma once

#include "platform/win32_types.h"

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

// S_OK on a thread's first call, S_FALSE on every nested one.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
