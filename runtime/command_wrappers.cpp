// Typed forms of the core commands: each builds the argument records (all-zero
// ones for omitted optional arguments), goes through CallCommand like compiled
// application code and hands back an owner of any new block.
#include <vector>

#include "runtime/call_frame.h"
#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"

namespace rt {
namespace {

template <size_t N>
CommandResult Call(CommandFn command, ValueRecord (&args)[N]) {
  return CallCommand(command, args, static_cast<int32_t>(N));
}

ValueRecord TextArg(TextRef text) {
  return ValueRecord::Text(text.get());
}
ValueRecord IntArg(std::optional<int32_t> value) {
  return value ? ValueRecord::Int(*value) : ValueRecord{};
}
ValueRecord BoolArg(std::optional<bool> value) {
  return value ? ValueRecord::Bool(*value) : ValueRecord{};
}

int32_t IntResult(const CommandResult& result) {
  return static_cast<int32_t>(result.value);
}
template <class T>
T* PointerResult(const CommandResult& result) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(result.value));
}
Text TextResult(const CommandResult& result) {
  return Text(PointerResult<char>(result));
}
ByteSet ByteSetResult(const CommandResult& result) {
  return ByteSet(PointerResult<void>(result));
}

ValueRecord DataResult(const CommandResult& result) {
  ValueRecord record;
  record.SetValue(result.value);
  record.type = result.type;
  return record;
}

}  // namespace

int32_t TextLength(TextRef s) {
  ValueRecord args[] = {TextArg(s)};
  return IntResult(Call(cmd::TextLength, args));
}

Text TextLeft(TextRef s, int32_t n) {
  ValueRecord args[] = {TextArg(s), ValueRecord::Int(n)};
  return TextResult(Call(cmd::TextLeft, args));
}

Text TextRight(TextRef s, int32_t n) {
  ValueRecord args[] = {TextArg(s), ValueRecord::Int(n)};
  return TextResult(Call(cmd::TextRight, args));
}

Text TextMiddle(TextRef s, int32_t start, int32_t n) {
  ValueRecord args[] = {TextArg(s), ValueRecord::Int(start), ValueRecord::Int(n)};
  return TextResult(Call(cmd::TextMiddle, args));
}

int32_t FindText(TextRef s, TextRef sought, std::optional<int32_t> start,
                 std::optional<bool> ignore_case) {
  ValueRecord args[] = {TextArg(s), TextArg(sought), IntArg(start), BoolArg(ignore_case)};
  return IntResult(Call(cmd::FindText, args));
}

Text TrimSpaces(TextRef s) {
  ValueRecord args[] = {TextArg(s)};
  return TextResult(Call(cmd::TrimSpaces, args));
}

Text RemoveSpaces(TextRef s) {
  ValueRecord args[] = {TextArg(s)};
  return TextResult(Call(cmd::RemoveSpaces, args));
}

Text ReplaceText(TextRef s, TextRef find, std::optional<TextRef> replacement,
                 std::optional<int32_t> start, std::optional<int32_t> count,
                 std::optional<bool> case_sensitive) {
  ValueRecord args[] = {
      TextArg(s),    TextArg(find), replacement ? TextArg(*replacement) : ValueRecord{},
      IntArg(start), IntArg(count), BoolArg(case_sensitive)};
  return TextResult(Call(cmd::ReplaceText, args));
}

TextArray SplitText(TextRef s, std::optional<TextRef> delimiter, std::optional<int32_t> maximum) {
  ValueRecord args[] = {TextArg(s), delimiter ? TextArg(*delimiter) : ValueRecord{},
                        IntArg(maximum)};
  return TextArray(PointerResult<void>(Call(cmd::SplitText, args)));
}

int32_t CompareText(TextRef a, TextRef b, bool case_sensitive) {
  ValueRecord args[] = {TextArg(a), TextArg(b), ValueRecord::Bool(case_sensitive)};
  return IntResult(Call(cmd::CompareText, args));
}

int32_t ToInteger(const ValueRecord& value) {
  ValueRecord args[] = {value};
  return IntResult(Call(cmd::ToInteger, args));
}

int32_t ToInteger(TextRef text) {
  return ToInteger(TextArg(text));
}

Text ConvertToText(const ValueRecord& value) {
  ValueRecord args[] = {value};
  return TextResult(Call(cmd::ConvertToText, args));
}

Text ConvertToText(double value) {
  return ConvertToText(ValueRecord::Double(value));
}

int32_t ByteSetLength(ByteSetRef b) {
  ValueRecord args[] = {ValueRecord::ByteSet(b.get())};
  return IntResult(Call(cmd::ByteSetLength, args));
}

ByteSet ByteSetLeft(ByteSetRef b, int32_t n) {
  ValueRecord args[] = {ValueRecord::ByteSet(b.get()), ValueRecord::Int(n)};
  return ByteSetResult(Call(cmd::ByteSetLeft, args));
}

ByteSet BlankByteSet(int32_t n) {
  ValueRecord args[] = {ValueRecord::Int(n)};
  return ByteSetResult(Call(cmd::BlankByteSet, args));
}

ByteSet PointerToByteSet(const void* address, int32_t length) {
  ValueRecord args[] = {ValueRecord::Pointer(type::Int, address), ValueRecord::Int(length)};
  return ByteSetResult(Call(cmd::PointerToByteSet, args));
}

ValueRecord ByteSetData(ByteSetRef b, int32_t type_number, std::optional<int32_t> position) {
  ValueRecord args[] = {ValueRecord::ByteSet(b.get()), ValueRecord::Int(type_number),
                        IntArg(position)};
  return DataResult(Call(cmd::ByteSetData, args));
}

ValueRecord ByteSetData(ByteSetRef b, int32_t type_number, int32_t* position_variable) {
  ValueRecord args[] = {ValueRecord::ByteSet(b.get()), ValueRecord::Int(type_number),
                        position_variable
                            ? ValueRecord::Pointer(type::Int | RefFlag, position_variable)
                            : ValueRecord{}};
  return DataResult(Call(cmd::ByteSetData, args));
}

Text ByteSetDataAsText(ByteSetRef b, int32_t* position_variable) {
  ValueRecord data = ByteSetData(b, 10, position_variable);
  if (data.type != type::Text) RaiseRuntimeError(5);  // as compiled code checks generic results
  return Text(data.AsPointer<char>());
}

int32_t BitOr(std::initializer_list<int32_t> values) {
  std::vector<ValueRecord> args;
  args.reserve(values.size());
  for (int32_t value : values) args.push_back(ValueRecord::Int(value));
  return IntResult(CallCommand(cmd::BitOr, args.data(), static_cast<int32_t>(args.size())));
}

}  // namespace rt
