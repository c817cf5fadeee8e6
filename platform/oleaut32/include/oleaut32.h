// The oleaut32 subset: BSTR, SAFEARRAY and VARIANT handling, the conversion
// rules of VariantChangeType, and the name hash of type binding.
#pragma once

#include "oleaut32_interfaces.h"
#include "oleaut32_types.h"

// --- BSTR ---
// Null input gives null (SysAllocString) or an uninitialised string of the
// given length (SysAllocStringLen, SysAllocStringByteLen).
BSTR SysAllocString(LPCOLESTR text);
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
BSTR SysAllocStringByteLen(const char* bytes, UINT byte_length);
void SysFreeString(BSTR text);
// Lengths come from the prefix, never from a NUL; null has length 0.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// --- SAFEARRAY ---
// Element types: VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT,
// VT_I8, VT_UI8, VT_R4, VT_R8, VT_DATE, VT_BOOL, VT_ERROR, VT_BSTR,
// VT_UNKNOWN, VT_DISPATCH and VT_VARIANT. `bounds[0]` varies fastest.
SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lower_bound, ULONG count);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);
// `dim` is 1-based, in the order of `rgsabound`.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
// `indices` has one entry per dimension, in the order of `rgsabound`. Strings,
// interfaces and variants are copied in and out (the caller keeps its value
// and owns what it gets).
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);

namespace platform {
// A one-dimensional array of a plain element type (numbers, logical values,
// dates) holding a copy of `count` elements at `data`.
SAFEARRAY* SafeArrayCreateFrom(VARTYPE type, LONG lower_bound, const void* data, ULONG count);
}  // namespace platform

namespace platform {
// Bytes of the datum of a plain value of this type (numbers, logical values,
// dates, currency, error codes); 0 for strings, interfaces, arrays, records
// and anything unknown.
size_t ScalarSize(VARTYPE type);
}  // namespace platform

// --- VARIANT ---
void VariantInit(VARIANT* variant);
// Frees what the variant owns (strings, arrays, references, records) and
// leaves VT_EMPTY; by-reference variants own nothing.
HRESULT VariantClear(VARIANT* variant);
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
// As VariantCopy, with one level of VT_BYREF resolved.
HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source);
// The conversions of the automation rules (see oleaut32_change_type.cpp).
// `destination` may be `source`; on failure the destination is unchanged.
HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type);
HRESULT VariantChangeTypeEx(VARIANT* destination, const VARIANT* source, LCID locale, USHORT flags,
                            VARTYPE type);

// --- type binding ---
enum SYSKIND : int32_t { SYS_WIN16, SYS_WIN32, SYS_MAC, SYS_WIN64 };
// A case-insensitive hash of a member name, handed to ITypeComp::Bind.
ULONG LHashValOfNameSys(SYSKIND system, LCID locale, LPCOLESTR name);
