// Late-bound automation objects (ComObject) and variants (Variant) live in
// cells: runtime heap blocks that own one automation reference or one
// VARIANT. The commands on them are in object_commands.h and
// variant_commands.h; none raises a runtime error: a failure answers the empty
// value of the promised type and leaves a status (last_call_status.h).
#pragma once

#include "oleaut32_types.h"

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

}  // namespace rt
