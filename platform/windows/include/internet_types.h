// The handle and port types WinHTTP and WinINet share. The system declares
// them in both headers, which cannot be included together; the same types
// declared here let a header name them without choosing one of the two.
#pragma once

#include "win32_types.h"

typedef LPVOID HINTERNET;
typedef WORD INTERNET_PORT;

#ifndef INTERNET_DEFAULT_HTTP_PORT
#define INTERNET_DEFAULT_HTTP_PORT 80
#endif
#ifndef INTERNET_DEFAULT_HTTPS_PORT
#define INTERNET_DEFAULT_HTTPS_PORT 443
#endif
