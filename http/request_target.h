// Where a request goes: the URL split by the platform into the host, port,
// object name and whether it is secure.
#pragma once

#include <string>

#include "internet_types.h"
#include "runtime/owned.h"

namespace http {

struct RequestTarget {
  rt::Text host;                         // GBK
  INTERNET_PORT port = 0;                // the URL's, or 80 / 443 by scheme
  std::basic_string<WCHAR> object_name;  // path and query; "/" alone when the path is empty
  bool secure = false;                   // https
};

// Splits `url` with WinHttpCrackUrl; false when the platform refuses it.
bool CrackRequestUrl(rt::TextRef url, RequestTarget* target);

}  // namespace http
