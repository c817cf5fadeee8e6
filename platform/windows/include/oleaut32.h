// BSTR, SAFEARRAY and VARIANT handling and type binding are the system's own
// (oleaut32); the two helpers below are what our platform offers beyond it.
#pragma once

#include <cstddef>

#include "oleaut32_interfaces.h"
#include "oleaut32_types.h"

namespace platform {

// A one-dimensional array of a plain element type (numbers, logical values,
// dates) holding a copy of `count` elements at `data`.
SAFEARRAY* SafeArrayCreateFrom(VARTYPE type, LONG lower_bound, const void* data, ULONG count);

// Bytes of the datum of a plain value of this type (numbers, logical values,
// dates, currency, error codes); 0 for strings, interfaces, arrays, records
// and anything unknown.
size_t ScalarSize(VARTYPE type);

}  // namespace platform
