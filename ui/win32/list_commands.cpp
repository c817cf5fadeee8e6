#include "ui/list_commands.h"

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "ui/win32/list_view_unit.h"
#include "ui/win32/window_registry.h"
#include "ui/win32/window_thread.h"

namespace ui {
namespace {

// On the window thread: the list named by the reference, or null when it
// names a unit of another type.
ListViewUnit* ListAt(const UnitRef& ref) {
  return dynamic_cast<ListViewUnit*>(&LookUpCommandUnit(ref.window, ref.unit));
}

}  // namespace

namespace cmd {

// Each operation is one message to the window thread, which carries it out
// with the list control's own messages while the caller waits.

void InsertRow(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t row = RunOnWindowThread([&] {
    ListViewUnit* list = ListAt(UnitArg(args, arg_count, 0));
    if (!list) return -1;
    // The list shows no images, check boxes or indents, and nothing reads item
    // data back, so only the index and the text take part.
    return list->InsertRow(rt::args::Int(args, arg_count, 1, -1),
                           rt::args::Text(args, arg_count, 2));
  });
  rt::args::SetInt(result, row);
}

void SetCellText(rt::ValueRecord*, int32_t arg_count, rt::ValueRecord* args) {
  RunOnWindowThread([&] {
    if (ListViewUnit* list = ListAt(UnitArg(args, arg_count, 0))) {
      list->SetCellText(rt::args::Int(args, arg_count, 1, 0), rt::args::Int(args, arg_count, 2, 0),
                        rt::args::Text(args, arg_count, 3));
    }
  });
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
