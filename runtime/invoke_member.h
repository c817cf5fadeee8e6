// The one engine behind every property read, property write and method call
// on a ComObject: binds the name through the object's type information,
// converts the arguments, invokes, writes out-parameters back and converts
// the result. Its status goes to LastCallStatus.
#pragma once

#include <cstdint>

#include "oleaut32_interfaces.h"
#include "runtime/value.h"

namespace rt {

enum class InvokeMode { Read, Write, Call };

// `args`: the object (its cell's address), the member name (Text) and the
// member arguments. `promised` is the result's runtime type (Text, Double,
// ComObject, Variant, or None for no result); on failure the result is that
// type's empty value. Answers the status.
int32_t InvokeMember(ValueRecord* result, TypeCode promised, int32_t arg_count,
                     const ValueRecord* args, InvokeMode mode);

// A parameter's declared type as the argument conversion needs it: pointers
// become VT_BYREF, safe and C arrays VT_ARRAY, user types are looked up
// through `info` (enumeration VT_I4, dispatch interface VT_DISPATCH, alias
// its aliased type, anything else VT_UNKNOWN); VT_INT and VT_UINT become
// VT_I4 and VT_UI4.
VARTYPE ResolveDeclaredType(const TYPEDESC& type, ITypeInfo* info);

}  // namespace rt
