#include <cstring>

#include "oleaut32.h"

namespace platform {

size_t ScalarSize(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
    case VT_HRESULT:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    default:
      return 0;
  }
}

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
