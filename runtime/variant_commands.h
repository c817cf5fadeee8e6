// The Variant commands, in the call frame form: storing runtime values into a
// variant or one of its array elements, copying, clearing, and reading a
// variant back as text or as a byte set. A Variant operand is the address of
// its VariantCell (automation_cells.h). No command raises a runtime error: a
// failure answers the empty value of the promised type.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

namespace cmd::variant {
// variant, value, optional Int element index (1-based, linear) -> Int 1 or 0
void Set(ValueRecord* result, int32_t arg_count, ValueRecord* args);
// destination, source
void CopyFrom(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void Clear(ValueRecord* result, int32_t arg_count, ValueRecord* args);
// variant, optional Int element index
void ToText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ToByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args);
}  // namespace cmd::variant

}  // namespace rt
