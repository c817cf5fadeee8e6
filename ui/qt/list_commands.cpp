#include "ui/list_commands.h"

#include <string>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "ui/qt/list_view_unit.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_thread.h"

namespace ui {
namespace {

// On the window thread: the list named by the reference, or null when it
// names a unit of another type.
ListViewUnit* ListAt(const UnitRef& ref) {
  return dynamic_cast<ListViewUnit*>(&LookUpCommandUnit(ref.window, ref.unit));
}

}  // namespace

namespace cmd {

void InsertRow(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t row = RunOnWindowThread([&] {
    ListViewUnit* list = ListAt(UnitArg(args, arg_count, 0));
    if (!list) return -1;
    // The list shows no images, check boxes or indents, and nothing reads item
    // data back, so only the index and the text take part.
    const int32_t index = rt::args::Int(args, arg_count, 1, -1);
    return list->InsertRow(index, rt::args::Text(args, arg_count, 2));
  });
  rt::args::SetInt(result, row);
}

void SetCellText(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  // Nothing comes back, so a caller on another thread does not wait for the
  // window thread: the write is posted with its own copy of the arguments and
  // still lands before any later operation of the same caller.
  const UnitRef list = UnitArg(args, arg_count, 0);
  const int32_t row = rt::args::Int(args, arg_count, 1, 0);
  const int32_t column = rt::args::Int(args, arg_count, 2, 0);
  PostToWindowThread([list, row, column, text = std::string(rt::args::Text(args, arg_count, 3))] {
    if (ListViewUnit* unit = ListAt(list)) unit->SetCellText(row, column, text);
  });
  (void)result;
}

void GetCellText(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  char* text = RunOnWindowThread([&]() -> char* {
    ListViewUnit* list = ListAt(UnitArg(args, arg_count, 0));
    if (!list) return nullptr;
    return rt::NewText(list->CellText(rt::args::Int(args, arg_count, 1, -1),
                                      rt::args::Int(args, arg_count, 2, 0)));
  });
  rt::args::SetPointer(result, text);
}

void GetRowCount(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t count = RunOnWindowThread([&] {
    ListViewUnit* list = ListAt(UnitArg(args, arg_count, 0));
    return list ? list->RowCount() : 0;
  });
  rt::args::SetInt(result, count);
}

}  // namespace cmd

}  // namespace ui
