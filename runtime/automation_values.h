// Between runtime values and VARIANTs: the type-code table, the ANSI code
// page conversions of texts, and the argument and result conversions that
// InvokeMember and the Variant commands share.
#pragma once

#include <cstdint>
#include <optional>

#include "oleaut32.h"
#include "runtime/automation_cells.h"
#include "runtime/value.h"

namespace rt::automation {

// The VARTYPE a runtime type travels as (ComObject: VT_UNKNOWN); VT_EMPTY
// for a type outside the table.
VARTYPE VarTypeOf(TypeCode type);

// The value itself, read through the caller's variable when `argument`
// carries RefFlag; the result has no RefFlag.
ValueRecord LoadValue(const ValueRecord& argument);

// GBK text to a string with the ANSI code page: null text gives a null
// string, "" an empty one. And back: the text ends at the string's first NUL;
// a null or empty string gives null.
BSTR TextToString(const char* text);
bool IsAscii(const char* text, size_t length);
char* StringToText(BSTR text);

// One scalar of the type-code table (Byte to Text) into `out`, which holds
// nothing. False for any other type.
bool ScalarToVariant(const ValueRecord& value, VARIANT* out);

// A ComObject as a member argument whose declared base type is `base`.
HRESULT ObjectToVariant(const ObjectCell* cell, VARTYPE base, VARIANT* out);

// Member argument conversion against the parameter's resolved type (base
// type plus VT_BYREF / VT_ARRAY bits). `argument` and `shadow` start
// VT_EMPTY. Answers a status: 0, or UnsupportedArgument.
int32_t ValueToVariant(const ValueRecord& argument, VARTYPE resolved, VARIANT* argument_variant,
                       VARIANT* shadow);

// A VARIANT (indirection resolved) as a new value of `type` in `*result`.
bool VariantToNewValue(const VARIANT& source, TypeCode type, ValueRecord* result);
// The same into the caller's variable at `address`, releasing what it held.
bool VariantToVariable(const VARIANT& source, TypeCode type, void* address);

// The Clear operation of ComObject: destroys a record through its
// IRecordInfo, releases the reference, frees lone record data.
void ClearObjectCell(ObjectCell* cell);

// The empty value of a promised result type (a new empty cell for ComObject
// and Variant).
ValueRecord EmptyResult(TypeCode type);

}  // namespace rt::automation
