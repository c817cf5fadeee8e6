// The automation data types (GUIDs, status codes, BSTR, SAFEARRAY, VARIANT)
// as the system declares them.
#pragma once

#include "win32_types.h"

#include <oleauto.h>

// The cross compiler's SDK declares the sources of these copies and
// conversions without const, as old SDKs did; the system never writes them,
// and the current SDK says so. These forms take a const source as the
// current SDK does.
inline HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  return ::VariantCopy(destination, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source) {
  return ::VariantCopyInd(destination, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                                 VARTYPE type) {
  return ::VariantChangeType(destination, const_cast<VARIANTARG*>(source), flags, type);
}
inline HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale,
                                   USHORT flags, VARTYPE type) {
  return ::VariantChangeTypeEx(destination, const_cast<VARIANTARG*>(source), locale, flags, type);
}
