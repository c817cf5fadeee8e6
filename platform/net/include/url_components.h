// Writing split URL parts into a caller's URL_COMPONENTS record, shared by the
// UTF-16 (WinHTTP) and byte (WinINet) cracking calls, whose records differ only
// in their character type.
#pragma once

#include <algorithm>
#include <initializer_list>

#include "url_parts.h"
#include "win32_types.h"

namespace platform::net {

// Fills every part the caller asked for (non-zero length): a null pointer
// receives a pointer into `url`, a buffer a NUL-terminated copy. When a buffer
// is too small nothing is written except the needed sizes (with the NUL) of
// the parts that did not fit, and ERROR_INSUFFICIENT_BUFFER is returned.
// Without the extra information asked for, the path carries it.
template <class Char, class Components>
DWORD FillUrlComponents(const Char* url, UrlParts parts, Components* components,
                        int scheme_number) {
  struct Slot {
    Char** pointer;
    DWORD* length;
    UrlSpan span;
  };
  bool extra_wanted = components->dwExtraInfoLength != 0;
  if (!extra_wanted) parts.path.length += parts.extra.length;
  Slot slots[] = {
      {&components->lpszScheme, &components->dwSchemeLength, parts.scheme},
      {&components->lpszHostName, &components->dwHostNameLength, parts.host},
      {&components->lpszUserName, &components->dwUserNameLength, parts.user},
      {&components->lpszPassword, &components->dwPasswordLength, parts.password},
      {&components->lpszUrlPath, &components->dwUrlPathLength, parts.path},
      {&components->lpszExtraInfo, &components->dwExtraInfoLength, parts.extra},
  };
  bool too_small = false;
  for (Slot& slot : slots) {
    if (*slot.length == 0 || !*slot.pointer) continue;
    if (*slot.length <= slot.span.length) {
      *slot.length = static_cast<DWORD>(slot.span.length + 1);
      too_small = true;
    }
  }
  if (too_small) return ERROR_INSUFFICIENT_BUFFER;
  for (Slot& slot : slots) {
    if (*slot.length == 0) continue;
    if (!*slot.pointer) {
      *slot.pointer = slot.span.present ? const_cast<Char*>(url) + slot.span.offset : nullptr;
    } else {
      std::copy_n(url + slot.span.offset, slot.span.length, *slot.pointer);
      (*slot.pointer)[slot.span.length] = Char{};
    }
    *slot.length = static_cast<DWORD>(slot.span.length);
  }
  components->nScheme = scheme_number;
  components->nPort = static_cast<WORD>(parts.port);
  return ERROR_SUCCESS;
}

}  // namespace platform::net
