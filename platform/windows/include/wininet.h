// WinINet as the system declares it, which serves the internet file fetch.
// WinINet numbers its URL schemes differently from WinHTTP (3 and 4, not 1
// and 2); the names below say which numbering is meant, as our platform's
// header does.
#pragma once

#include "win32_types.h"

#include_next <wininet.h>

inline constexpr INTERNET_SCHEME INET_SCHEME_HTTP = INTERNET_SCHEME_HTTP;
inline constexpr INTERNET_SCHEME INET_SCHEME_HTTPS = INTERNET_SCHEME_HTTPS;
