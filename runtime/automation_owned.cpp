#include "runtime/automation_owned.h"

#include <vector>

#include "runtime/call_frame.h"
#include "runtime/object_commands.h"
#include "runtime/variant_commands.h"

namespace rt::com {
namespace {

ValueRecord ObjectArg(const ObjectCell* cell) {
  return ValueRecord::Pointer(type::ComObject, cell);
}
ValueRecord VariantArg(const VariantCell* cell) {
  return ValueRecord::Pointer(type::Variant, cell);
}
ValueRecord IndexArg(std::optional<int32_t> index) {
  return index ? ValueRecord::Int(*index) : ValueRecord{};
}

CommandResult Call(CommandFn command, std::initializer_list<ValueRecord> args) {
  std::vector<ValueRecord> records(args);
  return CallCommand(command, records.data(), static_cast<int32_t>(records.size()));
}

// A member call: object, name, then the member arguments.
CommandResult CallMember(CommandFn command, const ObjectCell* cell, TextRef name, Args args) {
  std::vector<ValueRecord> records;
  records.reserve(args.size() + 2);
  records.push_back(ObjectArg(cell));
  records.push_back(ValueRecord::Text(name.get()));
  records.insert(records.end(), args.begin(), args.end());
  return CallCommand(command, records.data(), static_cast<int32_t>(records.size()));
}

template <class T>
T* PointerOf(const CommandResult& result) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(result.value));
}

}  // namespace

bool Create(ObjectCell* object, TextRef name, std::optional<TextRef> type_library) {
  if (type_library) {
    return Call(cmd::object::Create, {ObjectArg(object), ValueRecord::Text(name.get()),
                                      ValueRecord::Text(type_library->get())})
               .value != 0;
  }
  return Call(cmd::object::Create, {ObjectArg(object), ValueRecord::Text(name.get())}).value != 0;
}

void Clear(ObjectCell* object) {
  Call(cmd::object::Clear, {ObjectArg(object)});
}

bool IsEmpty(const ObjectCell* object) {
  return Call(cmd::object::IsEmpty, {ObjectArg(object)}).value != 0;
}

void Assign(ObjectCell* destination, const ObjectCell* source) {
  Call(cmd::object::Assign, {ObjectArg(destination), ObjectArg(source)});
}

Text ReadTextProperty(const ObjectCell* object, TextRef name, Args args) {
  return Text(PointerOf<char>(CallMember(cmd::object::ReadTextProperty, object, name, args)));
}

double ReadNumberProperty(const ObjectCell* object, TextRef name, Args args) {
  CommandResult result = CallMember(cmd::object::ReadNumberProperty, object, name, args);
  return ValueRecord::Of(type::Double, result.value).AsDouble();
}

ComObject ReadObjectProperty(const ObjectCell* object, TextRef name, Args args) {
  return ComObject(
      PointerOf<ObjectCell>(CallMember(cmd::object::ReadObjectProperty, object, name, args)));
}

Variant ReadProperty(const ObjectCell* object, TextRef name, Args args) {
  return Variant(PointerOf<VariantCell>(CallMember(cmd::object::ReadProperty, object, name, args)));
}

bool WriteProperty(const ObjectCell* object, TextRef name, Args args) {
  return CallMember(cmd::object::WriteProperty, object, name, args).value != 0;
}

void CallMethod(const ObjectCell* object, TextRef name, Args args) {
  CallMember(cmd::object::CallMethod, object, name, args);
}

Text CallTextMethod(const ObjectCell* object, TextRef name, Args args) {
  return Text(PointerOf<char>(CallMember(cmd::object::CallTextMethod, object, name, args)));
}

ComObject CallObjectMethod(const ObjectCell* object, TextRef name, Args args) {
  return ComObject(
      PointerOf<ObjectCell>(CallMember(cmd::object::CallObjectMethod, object, name, args)));
}

int32_t Set(VariantCell* variant, const ValueRecord& value, std::optional<int32_t> index) {
  return static_cast<int32_t>(
      Call(cmd::variant::Set, {VariantArg(variant), value, IndexArg(index)}).value);
}

void CopyFrom(VariantCell* destination, const VariantCell* source) {
  Call(cmd::variant::CopyFrom, {VariantArg(destination), VariantArg(source)});
}

void Clear(VariantCell* variant) {
  Call(cmd::variant::Clear, {VariantArg(variant)});
}

Text ToText(const VariantCell* variant, std::optional<int32_t> index) {
  return Text(PointerOf<char>(Call(cmd::variant::ToText, {VariantArg(variant), IndexArg(index)})));
}

ByteSet ToByteSet(const VariantCell* variant, std::optional<int32_t> index) {
  return ByteSet(
      PointerOf<void>(Call(cmd::variant::ToByteSet, {VariantArg(variant), IndexArg(index)})));
}

}  // namespace rt::com
