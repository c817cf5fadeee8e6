#include "ui/cartoon_commands.h"

#include "runtime/command_args.h"
#include "ui/win32/cartoon_units.h"
#include "ui/win32/window_registry.h"
#include "ui/win32/window_thread.h"

namespace ui {
namespace {

template <class T>
T* UnitAt(const UnitRef& ref) {
  return dynamic_cast<T*>(&LookUpCommandUnit(ref.window, ref.unit));
}

}  // namespace

namespace cmd {

void RemoveAllObjects(rt::ValueRecord*, int32_t arg_count, rt::ValueRecord* args) {
  RunOnWindowThread([&] {
    if (auto* box = UnitAt<CartoonBoxUnit>(UnitArg(args, arg_count, 0))) box->RemoveAllObjects();
  });
}

void AddObject(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t id = RunOnWindowThread([&] {
    auto* box = UnitAt<CartoonBoxUnit>(UnitArg(args, arg_count, 0));
    if (!box) return 0;
    const CartoonObjectModel* model = nullptr;
    if (rt::args::Given(args, arg_count, 1)) {
      if (auto* object = UnitAt<CartoonObjectUnit>(UnitArg(args, arg_count, 1))) {
        model = &object->model();
      }
    }
    return box->AddObject(
        model, rt::args::Int(args, arg_count, 2, 0), rt::args::Int(args, arg_count, 3, 0),
        rt::args::Flag(args, arg_count, 4, true), std::string(rt::args::Text(args, arg_count, 5)));
  });
  rt::args::SetInt(result, id);
}

}  // namespace cmd
}  // namespace ui
