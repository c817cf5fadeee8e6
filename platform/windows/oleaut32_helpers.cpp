#include <cstring>

#include "oleaut32.h"

namespace platform {

SAFEARRAY* SafeArrayCreateFrom(VARTYPE type, LONG lower_bound, const void* data, ULONG count) {
  if (ScalarSize(type) == 0) return nullptr;
  SAFEARRAY* array = SafeArrayCreateVector(type, lower_bound, count);
  if (!array || count == 0) return array;
  void* elements = nullptr;
  if (FAILED(SafeArrayAccessData(array, &elements))) {
    SafeArrayDestroy(array);
    return nullptr;
  }
  std::memcpy(elements, data, size_t{count} * SafeArrayGetElemsize(array));
  SafeArrayUnaccessData(array);
  return array;
}

}  // namespace platform
