// The ComObject commands: creating an object by ProgID or CLSID, clearing,
// testing and sharing a cell, and the read, write and call operations, which
// differ only in the mode and the result type they hand to InvokeMember.
#include "runtime/object_commands.h"

#include <cstring>

#include "ole32_classes.h"
#include "oleaut32.h"
#include "runtime/automation_cells.h"
#include "runtime/automation_values.h"
#include "runtime/command_args.h"
#include "runtime/invoke_member.h"
#include "runtime/last_call_status.h"

namespace rt::cmd::object {
namespace {

constexpr DWORD kAllServers =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD kLocalServers = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

ObjectCell* CellOf(const ValueRecord* args, int32_t count, int32_t index) {
  return index < count ? args[index].AsPointer<ObjectCell>() : nullptr;
}

void Store(ValueRecord* result, const ValueRecord& value) {
  result->SetValue(value.Value());
}

void Run(ValueRecord* result, int32_t arg_count, ValueRecord* args, TypeCode promised,
         InvokeMode mode) {
  ValueRecord value;
  InvokeMember(&value, promised, arg_count, args, mode);
  if (promised != type::None) Store(result, value);
}

bool CreateInCell(ObjectCell* cell, const char* name) {
  if (!cell || !name || !*name) return false;
  // There are no type libraries on this platform: a type-library file given
  // with a ProgID never loads, and creation goes on by name.
  BSTR wide = automation::TextToString(name);
  if (!wide) return false;
  CLSID clsid;
  HRESULT hr = wide[0] == '{' ? CLSIDFromString(wide, &clsid) : CLSIDFromProgID(wide, &clsid);
  SysFreeString(wide);
  if (FAILED(hr)) return false;
  IUnknown* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, kAllServers, IID_IUnknown,
                        reinterpret_cast<void**>(&object));
  if (hr == E_INVALIDARG)
    hr = CoCreateInstance(clsid, nullptr, kLocalServers, IID_IUnknown,
                          reinterpret_cast<void**>(&object));
  if (FAILED(hr) || !object) return false;
  if (FAILED(OleRun(object))) {
    object->Release();
    return false;
  }
  automation::ClearObjectCell(cell);
  cell->object = object;
  cell->record = nullptr;
  return true;
}

}  // namespace

void Create(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  bool created = CreateInCell(CellOf(args, arg_count, 0), args::TextPointer(args, arg_count, 1));
  args::SetInt(result, created ? 1 : 0);
}

void Clear(ValueRecord*, int32_t arg_count, ValueRecord* args) {
  if (ObjectCell* cell = CellOf(args, arg_count, 0)) automation::ClearObjectCell(cell);
}

void IsEmpty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  ObjectCell* cell = CellOf(args, arg_count, 0);
  args::SetInt(result, !cell || !cell->object ? 1 : 0);
}

void Assign(ValueRecord*, int32_t arg_count, ValueRecord* args) {
  ObjectCell* destination = CellOf(args, arg_count, 0);
  ObjectCell* source = CellOf(args, arg_count, 1);
  if (!destination) return;
  destination->object = source ? source->object : nullptr;
  destination->record = nullptr;
  if (destination->object) destination->object->AddRef();
}

void ReadTextProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::Text, InvokeMode::Read);
}

void ReadNumberProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::Double, InvokeMode::Read);
}

void ReadObjectProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::ComObject, InvokeMode::Read);
}

void ReadProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::Variant, InvokeMode::Read);
}

void WriteProperty(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  ValueRecord unused;
  int32_t outcome = InvokeMember(&unused, type::None, arg_count, args, InvokeMode::Write);
  args::SetInt(result, outcome == status::Success ? 1 : 0);
}

void CallMethod(ValueRecord*, int32_t arg_count, ValueRecord* args) {
  ValueRecord unused;
  InvokeMember(&unused, type::None, arg_count, args, InvokeMode::Call);
}

void CallTextMethod(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::Text, InvokeMode::Call);
}

void CallObjectMethod(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  Run(result, arg_count, args, type::ComObject, InvokeMode::Call);
}

}  // namespace rt::cmd::object
