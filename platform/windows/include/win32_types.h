// The Win32 scalar and handle types, status codes and constants: on Windows
// they are the system's own. Texts in UTF-16 are WCHAR (wchar_t here).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The program's own code page, the Chinese (PRC) ANSI code page.
inline constexpr UINT CP_GBK = 936;
