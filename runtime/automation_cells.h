// Late-bound automation objects (ComObject) and variants (Variant): their
// cells, the per-thread status of the last member call, and their runtime
// commands. No operation raises a runtime error: a failure answers the empty
// value of the promised type and leaves a status in LastCallStatus.
#pragma once

#include <cstdint>

#include "oleaut32_types.h"
#include "runtime/value.h"

struct IUnknown;

namespace rt {

// The storage behind a ComObject variable. The cell owns one reference; for
// an automation record the reference is the record's IRecordInfo and
// `record` its storage. Empty when `object` is null.
struct ObjectCell {
  IUnknown* object;
  void* record;
};

// The storage behind a Variant variable: one VARIANT. A new variable holds
// VT_I4 0; a cleared one VT_EMPTY with every byte zero.
struct VariantCell {
  VARIANT value;
};

// Cells are runtime heap blocks; these allocate one in its starting state.
ObjectCell* NewObjectCell();
VariantCell* NewVariantCell();
// Clears a cell's contents and frees the block (null is ignored).
void FreeObjectCell(ObjectCell* cell);
void FreeVariantCell(VariantCell* cell);

// The outcome of the calling thread's last member call.
namespace status {
inline constexpr int32_t Success = 0;
inline constexpr int32_t EmptyObject = -1;
inline constexpr int32_t NoDispatch = -2;
inline constexpr int32_t NoMember = -3;
inline constexpr int32_t NoTypeInfo = -4;
inline constexpr int32_t TooManyArguments = -5;
inline constexpr int32_t UnsupportedArgument = -7;
inline constexpr int32_t ResultNotConvertible = -8;
inline constexpr int32_t BadParamCount = -9;
inline constexpr int32_t BadVarType = -10;
inline constexpr int32_t Exception = -11;
inline constexpr int32_t MemberNotFound = -12;
inline constexpr int32_t NoNamedArgs = -13;
inline constexpr int32_t Overflow = -14;
inline constexpr int32_t ParamNotFound = -15;
inline constexpr int32_t TypeMismatch = -16;
inline constexpr int32_t ParamNotOptional = -17;
inline constexpr int32_t OtherFailure = -18;
}  // namespace status

int32_t LastCallStatus();
void SetLastCallStatus(int32_t status);

// The commands, in the call frame form. ComObject operands are the address of
// their ObjectCell, Variant operands the address of their VariantCell. Member
// arguments follow in declared order; an omitted one has type code 0; one
// with RefFlag is the address of the caller's variable and may receive an
// out-parameter.
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
