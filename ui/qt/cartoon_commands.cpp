#include "ui/cartoon_commands.h"

#include "runtime/command_args.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_thread.h"

namespace ui {
namespace {

template <class T>
T* UnitAt(const UnitRef& ref) {
  return dynamic_cast<T*>(&LookUpCommandUnit(ref.window, ref.unit));
}

}  // namespace

namespace cmd {

void RemoveAllObjects(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  RunOnWindowThread([&] {
    if (auto* box = UnitAt<CartoonBoxUnit>(UnitArg(args, arg_count, 0))) box->RemoveAllObjects();
  });
  (void)result;
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

void RemoveAllObjects(const UnitRef& box) {
  rt::ValueRecord args[] = {box.Record()};
  rt::CallLibraryCommand(kCartoonLibrary, cmd::RemoveAllObjects, args, 1);
}

int32_t AddObject(const UnitRef& box, std::optional<UnitRef> template_object, int32_t x, int32_t y,
                  std::optional<bool> visible, std::optional<rt::TextRef> tag) {
  rt::ValueRecord args[] = {box.Record(),
                            template_object ? template_object->Record() : rt::ValueRecord{},
                            rt::ValueRecord::Int(x),
                            rt::ValueRecord::Int(y),
                            visible ? rt::ValueRecord::Bool(*visible) : rt::ValueRecord{},
                            tag ? rt::ValueRecord::Text(tag->get()) : rt::ValueRecord{}};
  return static_cast<int32_t>(
      rt::CallLibraryCommand(kCartoonLibrary, cmd::AddObject, args, 6).value);
}

}  // namespace ui
