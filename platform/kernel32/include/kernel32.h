// The kernel32 subset: threads, code-page conversion, the calling thread's last error.
#pragma once

#include "win32_types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

// Starts a detached thread at once; the handle may be ignored (and never needs closing).
HANDLE CreateThread(LPVOID security, SIZE_T stack_size, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, DWORD* thread_id);

// Code page 936 uses the Windows table (0x80 is the euro sign, 0xFF and the
// private-use rows map as on the platform, unmappable characters get a best fit
// or '?'); CP_UTF8 is also served. Length -1 means NUL-terminated with the
// terminator converted and counted; an output size of 0 asks for the needed size.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int byte_count, LPWSTR wide,
                        int wide_count);
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_count, LPSTR text,
                        int byte_count, LPCSTR default_char, LPBOOL used_default_char);

LCID GetUserDefaultLCID();
DWORD GetLastError();
void SetLastError(DWORD error);
