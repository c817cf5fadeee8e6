#include "runtime/automation_cells.h"

#include <cstring>

#include "oleaut32.h"
#include "runtime/automation_values.h"
#include "runtime/heap.h"

namespace rt {

ObjectCell* NewObjectCell() {
  auto* cell = static_cast<ObjectCell*>(RtAlloc(sizeof(ObjectCell)));
  std::memset(cell, 0, sizeof *cell);
  return cell;
}

VariantCell* NewVariantCell() {
  auto* cell = static_cast<VariantCell*>(RtAlloc(sizeof(VariantCell)));
  std::memset(cell, 0, sizeof *cell);
  cell->value.vt = VT_I4;
  return cell;
}

void FreeObjectCell(ObjectCell* cell) {
  if (!cell) return;
  automation::ClearObjectCell(cell);
  RtFree(cell);
}

void FreeVariantCell(VariantCell* cell) {
  if (!cell) return;
  VariantClear(&cell->value);
  RtFree(cell);
}

}  // namespace rt
