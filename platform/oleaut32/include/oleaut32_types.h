// The automation data types: GUIDs, status codes, BSTR, SAFEARRAY and VARIANT,
// laid out as the platform lays them out for the word size.
#pragma once

#include <cstdint>
#include <cstring>

#include "win32_types.h"

using SHORT = int16_t;
using USHORT = uint16_t;
using ULONG = uint32_t;
using FLOAT = float;
using DOUBLE = double;
using SCODE = int32_t;
using DATE = double;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using DISPID = int32_t;
using MEMBERID = DISPID;
using OLECHAR = char16_t;
// A literal of OLECHARs (and so of WCHARs), spelled as on the platform.
#define OLESTR(text) u##text
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
// Points at the UTF-16 data; the byte length sits in the 4 bytes before it and
// a 2-byte NUL follows the data. Embedded NULs are part of the string.
using BSTR = OLECHAR*;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUIDs are 16 bytes");
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool operator==(const GUID& a, const GUID& b) {
  return IsEqualGUID(a, b);
}

inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// --- status codes ---
inline constexpr HRESULT MakeFailure(uint32_t code) {
  return static_cast<HRESULT>(code);
}
inline constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
inline constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}
inline constexpr HRESULT E_NOTIMPL = MakeFailure(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeFailure(0x80004002);
inline constexpr HRESULT E_POINTER = MakeFailure(0x80004003);
inline constexpr HRESULT E_FAIL = MakeFailure(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = MakeFailure(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = MakeFailure(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeFailure(0x80070057);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeFailure(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeFailure(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeFailure(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeFailure(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeFailure(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = MakeFailure(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = MakeFailure(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeFailure(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeFailure(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = MakeFailure(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeFailure(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeFailure(0x8002000F);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeFailure(0x8002000D);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = MakeFailure(0x8002802B);
inline constexpr HRESULT TYPE_E_CANTLOADLIBRARY = MakeFailure(0x80029C4A);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeFailure(0x80040110);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeFailure(0x80040154);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeFailure(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeFailure(0x800401F3);

// --- variant types ---
enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_RECORD = 36,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// VariantChangeType flags.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x1;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x2;

struct IUnknown;
struct IDispatch;
struct IRecordInfo;

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// The element type of an array is kept just before the descriptor, where
// SafeArrayGetVartype finds it (FADF_HAVEVARTYPE).
struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];  // cDims entries; rgsabound[0] varies fastest in storage
};

inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    int64_t llVal;
    uint64_t ullVal;
    LONG lVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    BYTE bVal;
    char cVal;
    SHORT iVal;
    USHORT uiVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    char* pcVal;
    SHORT* piVal;
    USHORT* puiVal;
    LONG* plVal;
    ULONG* pulVal;
    int64_t* pllVal;
    uint64_t* pullVal;
    INT* pintVal;
    UINT* puintVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    // A record takes two pointers, which makes the VARIANT 24 bytes on 64-bit.
    // The structure has no name, so its members are spelled as the
    // platform's headers spell them (`v.pvRecord`).
    struct {
      void* pvRecord;
      IRecordInfo* pRecInfo;
    };
  };
};
using VARIANTARG = VARIANT;
static_assert(sizeof(VARIANT) == (sizeof(void*) == 8 ? 24 : 16),
              "a VARIANT is 16 bytes on 32-bit and 24 on 64-bit");

struct DISPPARAMS {
  VARIANTARG* rgvarg;  // last argument first
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  void* pfnDeferredFillIn;
  SCODE scode;
};

inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

// Invoke flags; the invoke kinds of type information use the same bits.
inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;
