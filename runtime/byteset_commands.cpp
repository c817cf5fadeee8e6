// Byte-set commands and BitOr.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/core_commands.h"
#include "runtime/datetime_range.h"
#include "runtime/fatal_error.h"

namespace rt {
namespace {

// Result type and byte size of each ByteSetData type number 1..10 (0: text).
struct DataKind {
  TypeCode type;
  size_t size;
};
DataKind KindOf(int32_t type_number) {
  switch (type_number) {
    case 1:
      return {type::Byte, 1};
    case 2:
      return {type::Short, 2};
    case 3:
      return {type::Int, 4};
    case 4:
      return {type::Int64, 8};
    case 5:
      return {type::Float, 4};
    case 6:
      return {type::Double, 8};
    case 7:
      return {type::Bool, 4};
    case 8:
      return {type::DateTime, 8};
    case 9:
      return {type::SubroutinePointer, sizeof(void*)};
    case 10:
      return {type::Text, 0};
    default:
      ReportFatalErrorUtf8(message::InvalidDataType, 0);
  }
}

// The value of a fixed-size type from `bytes`, zero-padded to the type's size.
uint64_t ReadValue(const DataKind& kind, std::string_view bytes) {
  unsigned char raw[8] = {};
  if (!bytes.empty()) std::memcpy(raw, bytes.data(), std::min(bytes.size(), kind.size));
  uint64_t value = 0;
  std::memcpy(&value, raw, sizeof value);
  switch (kind.type) {
    case type::Short:
      return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(value)));
    case type::Int:
    case type::Float:
      return value & 0xFFFFFFFFu;
    case type::Bool:
      return (value & 0xFFFFFFFFu) != 0 ? 1 : 0;
    case type::DateTime: {
      double date;
      std::memcpy(&date, &value, sizeof date);
      date = ClampDateTime(date);
      std::memcpy(&value, &date, sizeof value);
      return value;
    }
    default:
      return value;
  }
}

}  // namespace

namespace cmd {

void ByteSetLength(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetInt(result, ByteSetCount(args::ByteSet(args, arg_count, 0)));
}

void ByteSetLeft(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  const void* block = args::ByteSet(args, arg_count, 0);
  int32_t n = std::min(ByteSetCount(block), args::Int(args, arg_count, 1));
  if (n <= 0) return;
  args::SetPointer(result, NewByteSet(ByteSetBytes(block), static_cast<size_t>(n)));
}

void BlankByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  int32_t n = args::Int(args, arg_count, 0);
  if (n <= 0) return;
  args::SetPointer(result, NewZeroByteSet(static_cast<size_t>(n)));
}

void PointerToByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  // The address travels as a number holding the whole pointer.
  const void* address = nullptr;
  if (args::Given(args, arg_count, 0)) {
    args::RequireNumber(args[0]);
    address = args[0].AsPointer<const void>();
  }
  int32_t length = args::Int(args, arg_count, 1);
  if (!address || length <= 0) return;
  args::SetPointer(result, NewByteSet(address, static_cast<size_t>(length)));
}

void ByteSetData(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  std::string_view bytes = args::ByteSetView(args::ByteSet(args, arg_count, 0));
  DataKind kind = KindOf(args::Int(args, arg_count, 1));
  result->type = kind.type;

  // The position is 1-based; a by-reference one is read and later written back.
  int32_t* variable = nullptr;
  int64_t offset = 0;
  if (args::Given(args, arg_count, 2)) {
    int32_t position;
    if (IsByRef(args[2].type)) {
      // The variable must hold a number too.
      args::RequireNumber(ValueRecord::Of(BaseType(args[2].type), 0));
      variable = args[2].AsPointer<int32_t>();
      position = *variable;
    } else {
      position = args::NumberToInt32(args[2]);
    }
    offset = int64_t{position} - 1;
    if (offset < 0) offset = static_cast<int64_t>(bytes.size());  // nothing left to read
  }
  std::string_view left = offset < static_cast<int64_t>(bytes.size())
                              ? bytes.substr(static_cast<size_t>(offset))
                              : std::string_view();
  int64_t next;
  if (kind.type == type::Text) {
    size_t zero = left.find('\0');
    std::string_view text = left.substr(0, zero);
    args::SetPointer(result, NewText(text));
    next = offset + static_cast<int64_t>(text.size()) + (zero != std::string_view::npos ? 1 : 0);
  } else {
    result->SetValue(ReadValue(kind, left));
    next = offset + static_cast<int64_t>(kind.size);
  }
  if (variable) {
    *variable = next < static_cast<int64_t>(bytes.size()) ? static_cast<int32_t>(next + 1) : -1;
  }
}

void BitOr(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  int32_t bits = 0;
  for (int32_t i = 0; i < arg_count; ++i) bits |= args::Int(args, arg_count, i);
  args::SetInt(result, bits);
}

}  // namespace cmd
}  // namespace rt
