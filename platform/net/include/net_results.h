// How a call of the internet layers ends: the thread's last error is set
// first, then the value the caller tests is returned.
#pragma once

#include "internet_types.h"
#include "kernel32.h"

namespace platform::net {

inline BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

inline HINTERNET FailHandle(DWORD error) {
  SetLastError(error);
  return nullptr;
}

inline BOOL Succeed() {
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace platform::net
