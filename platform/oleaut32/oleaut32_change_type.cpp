// VariantChangeType: the automation conversion rules between the scalar
// types, strings, interfaces and byte arrays.
//
// Numbers keep their exact value while integral and round half to even when
// they become integers; values out of the target's range fail with
// DISP_E_OVERFLOW. Logical values are -1 and 0 and print as "-1" and "0"
// unless VARIANT_ALPHABOOL asks for "True" and "False". A byte array and a
// string convert as raw UTF-16LE bytes in both directions. An object converts
// to anything but an interface through its default member (DISPID_VALUE).
// Dates take part as numbers only: there is no date text form here.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "oleaut32.h"
#include "oleaut32_number_text.h"

namespace {

using platform::AutomationNumber;

bool IsNumericTarget(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL:
      return true;
    default:
      return false;
  }
}

bool IsSupportedTarget(VARTYPE type) {
  if (type == (VT_ARRAY | VT_UI1)) return true;
  if (type & (VT_ARRAY | VT_BYREF)) return false;
  return IsNumericTarget(type) || type == VT_EMPTY || type == VT_NULL || type == VT_BSTR ||
         type == VT_ERROR || type == VT_UNKNOWN || type == VT_DISPATCH || type == VT_VARIANT;
}

// The number a scalar variant holds; false for a type that is not a number.
bool NumberOf(const VARIANT& v, AutomationNumber* n) {
  switch (v.vt) {
    case VT_EMPTY:
      *n = {true, 0, 0};
      return true;
    case VT_I1:
      *n = {true, static_cast<signed char>(v.cVal), 0};
      return true;
    case VT_UI1:
      *n = {true, v.bVal, 0};
      return true;
    case VT_I2:
      *n = {true, v.iVal, 0};
      return true;
    case VT_UI2:
      *n = {true, v.uiVal, 0};
      return true;
    case VT_BOOL:
      *n = {true, v.boolVal ? -1 : 0, 0};
      return true;
    case VT_I4:
    case VT_INT:
      *n = {true, v.lVal, 0};
      return true;
    case VT_UI4:
    case VT_UINT:
      *n = {true, v.ulVal, 0};
      return true;
    case VT_I8:
      *n = {true, v.llVal, 0};
      return true;
    case VT_UI8:
      if (v.ullVal > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        *n = {false, 0, static_cast<double>(v.ullVal)};
      } else {
        *n = {true, static_cast<int64_t>(v.ullVal), 0};
      }
      return true;
    case VT_R4:
      *n = {false, 0, v.fltVal};
      return true;
    case VT_R8:
    case VT_DATE:
      *n = {false, 0, v.dblVal};
      return true;
    default:
      return false;
  }
}

HRESULT ToInteger(const AutomationNumber& n, int64_t low, int64_t high, int64_t* out) {
  if (n.integral) {
    if (n.integer < low || n.integer > high) return DISP_E_OVERFLOW;
    *out = n.integer;
    return S_OK;
  }
  // nearbyint rounds half to even in the default rounding mode.
  double rounded = std::nearbyint(n.real);
  if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high)))
    return DISP_E_OVERFLOW;
  // The top of the 64-bit range is not exact as a double.
  if (high == std::numeric_limits<int64_t>::max() && rounded >= 9223372036854775807.0)
    return DISP_E_OVERFLOW;
  *out = static_cast<int64_t>(rounded);
  return S_OK;
}

HRESULT NumberToVariant(const AutomationNumber& n, VARTYPE type, VARIANT* out) {
  VariantInit(out);
  out->vt = type;
  out->ullVal = 0;
  int64_t i = 0;
  HRESULT hr = S_OK;
  switch (type) {
    case VT_I1:
      hr = ToInteger(n, INT8_MIN, INT8_MAX, &i);
      out->cVal = static_cast<char>(i);
      break;
    case VT_UI1:
      hr = ToInteger(n, 0, UINT8_MAX, &i);
      out->bVal = static_cast<BYTE>(i);
      break;
    case VT_I2:
      hr = ToInteger(n, INT16_MIN, INT16_MAX, &i);
      out->iVal = static_cast<SHORT>(i);
      break;
    case VT_UI2:
      hr = ToInteger(n, 0, UINT16_MAX, &i);
      out->uiVal = static_cast<USHORT>(i);
      break;
    case VT_I4:
    case VT_INT:
      hr = ToInteger(n, INT32_MIN, INT32_MAX, &i);
      out->lVal = static_cast<LONG>(i);
      break;
    case VT_UI4:
    case VT_UINT:
      hr = ToInteger(n, 0, UINT32_MAX, &i);
      out->ulVal = static_cast<ULONG>(i);
      break;
    case VT_I8:
      hr = ToInteger(n, INT64_MIN, INT64_MAX, &i);
      out->llVal = i;
      break;
    case VT_UI8:
      if (!n.integral && n.real >= 9223372036854775808.0) {
        double rounded = std::nearbyint(n.real);
        if (rounded >= 18446744073709551616.0) return DISP_E_OVERFLOW;
        out->ullVal = static_cast<uint64_t>(rounded);
        return S_OK;
      }
      hr = ToInteger(n, 0, INT64_MAX, &i);
      out->ullVal = static_cast<uint64_t>(i);
      break;
    case VT_R4: {
      double d = n.AsDouble();
      if (std::isfinite(d) && std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;
      out->fltVal = static_cast<float>(d);
      break;
    }
    case VT_R8:
      out->dblVal = n.AsDouble();
      break;
    case VT_DATE: {
      // Years 100 to 9999.
      double d = n.AsDouble();
      if (!(d >= -657434.0 && d < 2958466.0)) return DISP_E_OVERFLOW;
      out->date = d;
      break;
    }
    case VT_BOOL:
      out->boolVal = n.AsDouble() != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  return hr;
}

HRESULT StringToVariant(BSTR text, VARTYPE type, VARIANT* out) {
  std::u16string_view view(text ? text : u"", SysStringLen(text));
  if (type == VT_BOOL) {
    auto equals = [&](std::u16string_view word) {
      if (view.size() != word.size()) return false;
      for (size_t i = 0; i < view.size(); ++i) {
        char16_t c = view[i] >= u'A' && view[i] <= u'Z' ? view[i] + 32 : view[i];
        if (c != word[i]) return false;
      }
      return true;
    };
    if (equals(u"true") || equals(u"false")) {
      VariantInit(out);
      out->vt = VT_BOOL;
      out->boolVal = equals(u"true") ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
  }
  AutomationNumber n;
  HRESULT hr = platform::ParseAutomationNumber(view, &n);
  if (FAILED(hr)) return hr;
  return NumberToVariant(n, type, out);
}

HRESULT MakeString(const std::u16string& text, VARIANT* out) {
  VariantInit(out);
  out->vt = VT_BSTR;
  out->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return out->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT ToString(const VARIANT& v, USHORT flags, VARIANT* out) {
  switch (v.vt) {
    case VT_EMPTY:
      return MakeString(u"", out);
    case VT_BOOL:
      if (flags & VARIANT_ALPHABOOL) return MakeString(v.boolVal ? u"True" : u"False", out);
      return MakeString(v.boolVal ? u"-1" : u"0", out);
    case VT_R4:
      return MakeString(platform::FormatAutomationReal(v.fltVal, 7), out);
    case VT_R8:
      return MakeString(platform::FormatAutomationReal(v.dblVal, 15), out);
    case VT_ARRAY | VT_UI1:
    case VT_ARRAY | VT_I1: {
      SAFEARRAY* array = v.parray;
      if (!array || array->cDims != 1 || array->cbElements != 1) return E_INVALIDARG;
      VariantInit(out);
      out->vt = VT_BSTR;
      out->bstrVal = SysAllocStringByteLen(static_cast<const char*>(array->pvData),
                                           array->rgsabound[0].cElements);
      return out->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    default: {
      AutomationNumber n;
      if (v.vt == VT_DATE || !NumberOf(v, &n)) return DISP_E_TYPEMISMATCH;
      return MakeString(platform::FormatAutomationInteger(n.integer), out);
    }
  }
}

HRESULT StringToBytes(BSTR text, VARIANT* out) {
  SAFEARRAY* array = platform::SafeArrayCreateFrom(VT_UI1, 0, text, SysStringByteLen(text));
  if (!array) return E_OUTOFMEMORY;
  VariantInit(out);
  out->vt = VT_ARRAY | VT_UI1;
  out->parray = array;
  return S_OK;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE type, VARIANT* out);

// An object's default member read as a property, then converted.
HRESULT ConvertDefaultValue(IDispatch* object, USHORT flags, VARTYPE type, VARIANT* out) {
  if (!object || (flags & VARIANT_NOVALUEPROP)) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value,
                              nullptr, nullptr);
  if (FAILED(hr)) return hr;
  // One level: an object whose value is an object again does not convert.
  hr = value.vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : Convert(value, flags, type, out);
  VariantClear(&value);
  return hr;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE type, VARIANT* out) {
  if (v.vt == type || type == VT_VARIANT) {
    VariantInit(out);
    return VariantCopy(out, &v);
  }
  if (type == VT_EMPTY) {
    VariantInit(out);
    return S_OK;
  }
  if (v.vt == VT_NULL || type == VT_NULL || v.vt == VT_ERROR || type == VT_ERROR)
    return DISP_E_TYPEMISMATCH;
  if (v.vt == VT_DISPATCH && type != VT_UNKNOWN)
    return ConvertDefaultValue(v.pdispVal, flags, type, out);
  if (type == VT_UNKNOWN || type == VT_DISPATCH) {
    if (v.vt != VT_UNKNOWN && v.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    VariantInit(out);
    out->vt = type;
    out->punkVal = nullptr;
    if (!v.punkVal) return S_OK;
    return v.punkVal->QueryInterface(type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                     reinterpret_cast<void**>(&out->punkVal));
  }
  if (type == (VT_ARRAY | VT_UI1)) {
    if (v.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    return StringToBytes(v.bstrVal, out);
  }
  if (type == VT_BSTR) return ToString(v, flags, out);
  if (v.vt == VT_BSTR) return StringToVariant(v.bstrVal, type, out);
  AutomationNumber n;
  if (!NumberOf(v, &n)) return DISP_E_TYPEMISMATCH;
  return NumberToVariant(n, type, out);
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANT* destination, const VARIANT* source, LCID, USHORT flags,
                            VARTYPE type) {
  if (!destination || !source) return E_INVALIDARG;
  if (!IsSupportedTarget(type)) return DISP_E_BADVARTYPE;
  // Work on a copy with the indirection resolved, so the destination may be
  // the source and is left alone when the conversion fails.
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = VariantCopyInd(&value, source);
  if (FAILED(hr)) return hr;
  if (value.vt == VT_CY || value.vt == VT_DECIMAL) {
    VariantClear(&value);
    return DISP_E_BADVARTYPE;
  }
  VARIANT result;
  VariantInit(&result);
  hr = Convert(value, flags, type, &result);
  VariantClear(&value);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  VariantClear(destination);
  *destination = result;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type) {
  return VariantChangeTypeEx(destination, source, 0, flags, type);
}
