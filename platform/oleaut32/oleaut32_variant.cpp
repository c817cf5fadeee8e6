// VARIANT ownership: what a variant of each type owns, how it is freed and
// how it is copied, with or without resolving one level of VT_BYREF.
#include <cstring>

#include "oleaut32.h"

namespace {

using platform::ScalarSize;

bool IsKnownType(VARTYPE type) {
  VARTYPE base = type & VT_TYPEMASK;
  if (type & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) return false;
  if (base == VT_EMPTY || base == VT_NULL) return (type & (VT_ARRAY | VT_BYREF)) == 0;
  if (base == VT_VARIANT) return (type & (VT_ARRAY | VT_BYREF)) != 0;
  return ScalarSize(base) || base == VT_BSTR || base == VT_UNKNOWN || base == VT_DISPATCH ||
         base == VT_RECORD || base == VT_DECIMAL;
}

BSTR CopyString(BSTR text) {
  if (!text) return nullptr;
  return SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text));
}

// A copy of `source` (not by reference) into `out`, which is overwritten.
HRESULT CopyOwned(VARIANT* out, const VARIANT& source) {
  *out = source;
  if (source.vt & VT_BYREF) return S_OK;
  if (source.vt & VT_ARRAY) {
    if (!source.parray) return S_OK;
    return SafeArrayCopy(source.parray, &out->parray);
  }
  switch (source.vt) {
    case VT_BSTR:
      out->bstrVal = CopyString(source.bstrVal);
      return source.bstrVal && !out->bstrVal ? E_OUTOFMEMORY : S_OK;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (source.punkVal) source.punkVal->AddRef();
      return S_OK;
    case VT_RECORD:
      if (!source.pRecInfo) return E_INVALIDARG;
      out->pvRecord = nullptr;
      if (source.pvRecord) {
        HRESULT hr = source.pRecInfo->RecordCreateCopy(source.pvRecord, &out->pvRecord);
        if (FAILED(hr)) return hr;
      }
      source.pRecInfo->AddRef();
      return S_OK;
    default:
      return S_OK;
  }
}

// The value that a by-reference variant points at, as a variant of its own type.
HRESULT Dereference(const VARIANT& source, VARIANT* out) {
  VARTYPE type = source.vt & ~VT_BYREF;
  if (!source.byref) return E_INVALIDARG;
  VariantInit(out);
  if (type & VT_ARRAY) {
    out->vt = type;
    out->parray = *source.pparray;
    return S_OK;
  }
  if (type == VT_VARIANT) {
    // One level only: a variant that points at another reference is refused.
    if (source.pvarVal->vt & VT_BYREF) return E_INVALIDARG;
    *out = *source.pvarVal;
    return S_OK;
  }
  out->vt = type;
  if (size_t size = ScalarSize(type)) {
    std::memcpy(&out->llVal, source.byref, size);
  } else if (type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH) {
    std::memcpy(&out->byref, source.byref, sizeof(void*));
  } else if (type == VT_DECIMAL) {
    return DISP_E_BADVARTYPE;
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

}  // namespace

void VariantInit(VARIANT* variant) {
  variant->vt = VT_EMPTY;
  variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
}

HRESULT VariantClear(VARIANT* variant) {
  if (!variant) return E_INVALIDARG;
  if (!IsKnownType(variant->vt)) return DISP_E_BADVARTYPE;
  if (!(variant->vt & VT_BYREF)) {
    if (variant->vt & VT_ARRAY) {
      HRESULT hr = SafeArrayDestroy(variant->parray);
      if (FAILED(hr)) return hr;
    } else if (variant->vt == VT_BSTR) {
      SysFreeString(variant->bstrVal);
    } else if (variant->vt == VT_UNKNOWN || variant->vt == VT_DISPATCH) {
      if (variant->punkVal) variant->punkVal->Release();
    } else if (variant->vt == VT_RECORD) {
      if (variant->pRecInfo) {
        if (variant->pvRecord) variant->pRecInfo->RecordDestroy(variant->pvRecord);
        variant->pRecInfo->Release();
      }
    }
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
  if (!destination || !source) return E_INVALIDARG;
  if (destination == source) return S_OK;
  if (!IsKnownType(source->vt)) return DISP_E_BADVARTYPE;
  VARIANT copy;
  HRESULT hr = CopyOwned(&copy, *source);
  if (FAILED(hr)) return hr;
  VariantClear(destination);
  *destination = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source) {
  if (!destination || !source) return E_INVALIDARG;
  if (!IsKnownType(source->vt)) return DISP_E_BADVARTYPE;
  if (!(source->vt & VT_BYREF)) return VariantCopy(destination, source);
  VARIANT target;
  HRESULT hr = Dereference(*source, &target);
  if (FAILED(hr)) return hr;
  VARIANT copy;
  hr = CopyOwned(&copy, target);
  if (FAILED(hr)) return hr;
  // The source may point into the destination; it is copied before the clear.
  VariantClear(destination);
  *destination = copy;
  return S_OK;
}
