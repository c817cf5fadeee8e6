// The ComObject commands, in the call frame form: creating an object by ProgID
// or CLSID, clearing, testing and sharing a cell, and reading, writing and
// calling members. A ComObject operand is the address of its ObjectCell
// (automation_cells.h). Member arguments follow in declared order; an omitted
// one has type code 0; one with RefFlag is the address of the caller's
// variable and may receive an out-parameter. No command raises a runtime
// error: a failure answers the empty value of the promised type and leaves a
// status in LastCallStatus (last_call_status.h).
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

namespace cmd::object {
// object, name (a ProgID or "{CLSID}"), optional type-library file -> Bool
void Create(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void Clear(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void IsEmpty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
// destination, source; the destination's old contents are not released
void Assign(ValueRecord* result, int32_t arg_count, ValueRecord* args);
// object, member name, member arguments
void ReadTextProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ReadNumberProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ReadObjectProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ReadProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
// object, member name, member arguments, the value last -> Bool (status 0)
void WriteProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void CallMethod(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void CallTextMethod(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void CallObjectMethod(ValueRecord* result, int32_t arg_count, ValueRecord* args);
}  // namespace cmd::object

}  // namespace rt
