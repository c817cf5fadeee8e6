#include "runtime/automation_owned.h"

#include <vector>

#include "runtime/call_frame.h"

namespace rt {
namespace {

// The argument records of a member call: object, name, member arguments.
std::vector<ValueRecord> MemberArgs(ObjectCell* cell, TextRef name,
                                    std::initializer_list<ValueRecord> args) {
  std::vector<ValueRecord> records;
  records.reserve(args.size() + 2);
  records.push_back(ValueRecord::Pointer(type::ComObject, cell));
  records.push_back(ValueRecord::Text(name.get()));
  records.insert(records.end(), args.begin(), args.end());
  return records;
}

CommandResult Call(CommandFn command, std::vector<ValueRecord>& records) {
  return CallCommand(command, records.data(), static_cast<int32_t>(records.size()));
}

template <class T>
T* PointerOf(const CommandResult& result) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(result.value));
}

ValueRecord IndexArg(std::optional<int32_t> index) {
  return index ? ValueRecord::Int(*index) : ValueRecord{};
}

}  // namespace

bool ComObject::Create(TextRef name, std::optional<TextRef> type_library) {
  std::vector<ValueRecord> records = {ValueRecord::Pointer(type::ComObject, cell_),
                                      ValueRecord::Text(name.get())};
  if (type_library) records.push_back(ValueRecord::Text(type_library->get()));
  return Call(cmd::object::Create, records).value != 0;
}

void ComObject::Clear() {
  std::vector<ValueRecord> records = {Arg()};
  Call(cmd::object::Clear, records);
}

bool ComObject::IsEmpty() const {
  std::vector<ValueRecord> records = {Arg()};
  return Call(cmd::object::IsEmpty, records).value != 0;
}

void ComObject::AssignFrom(const ComObject& source) {
  if (source.cell_ == cell_) return;
  Clear();
  std::vector<ValueRecord> records = {Arg(), source.Arg()};
  Call(cmd::object::Assign, records);
}

Text ComObject::ReadTextProperty(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return Text(PointerOf<char>(Call(cmd::object::ReadTextProperty, records)));
}

double ComObject::ReadNumberProperty(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  CommandResult result = Call(cmd::object::ReadNumberProperty, records);
  return ValueRecord::Of(type::Double, result.value).AsDouble();
}

ComObject ComObject::ReadObjectProperty(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return ComObject(PointerOf<ObjectCell>(Call(cmd::object::ReadObjectProperty, records)));
}

Variant ComObject::ReadProperty(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return Variant(PointerOf<VariantCell>(Call(cmd::object::ReadProperty, records)));
}

bool ComObject::WriteProperty(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return Call(cmd::object::WriteProperty, records).value != 0;
}

void ComObject::CallMethod(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  Call(cmd::object::CallMethod, records);
}

Text ComObject::CallTextMethod(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return Text(PointerOf<char>(Call(cmd::object::CallTextMethod, records)));
}

ComObject ComObject::CallObjectMethod(TextRef name, Args args) const {
  auto records = MemberArgs(cell_, name, args);
  return ComObject(PointerOf<ObjectCell>(Call(cmd::object::CallObjectMethod, records)));
}

int32_t Variant::Set(const ValueRecord& value, std::optional<int32_t> index) {
  std::vector<ValueRecord> records = {Arg(), value, IndexArg(index)};
  return static_cast<int32_t>(Call(cmd::variant::Set, records).value);
}

void Variant::CopyFrom(const Variant& source) {
  if (source.cell_ == cell_) return;
  std::vector<ValueRecord> records = {Arg(), source.Arg()};
  Call(cmd::variant::CopyFrom, records);
}

void Variant::Clear() {
  std::vector<ValueRecord> records = {Arg()};
  Call(cmd::variant::Clear, records);
}

Text Variant::ToText(std::optional<int32_t> index) const {
  std::vector<ValueRecord> records = {Arg(), IndexArg(index)};
  return Text(PointerOf<char>(Call(cmd::variant::ToText, records)));
}

ByteSet Variant::ToByteSet(std::optional<int32_t> index) const {
  std::vector<ValueRecord> records = {Arg(), IndexArg(index)};
  return ByteSet(PointerOf<void>(Call(cmd::variant::ToByteSet, records)));
}

}  // namespace rt
