// Reading argument records and writing result records inside the core commands.
// An argument past the count or with type 0 was omitted; a null text or byte
// set is the empty one.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

#include "runtime/blocks.h"
#include "runtime/fatal_error.h"
#include "runtime/value.h"

namespace rt::args {

inline bool Given(const ValueRecord* args, int32_t count, int32_t index) {
  return index < count && !args[index].Omitted();
}

// A parameter that needs a number takes one of the six numeric types by
// value. Anything else (a text, a byte set, a truth value, a date, an
// array...) carries no number: its bits would be a pointer or a flag, so the
// program ends with the runtime's message instead of computing with them.
inline void RequireNumber(const ValueRecord& value) {
  if (IsByRef(value.type) || !IsNumericType(value.type)) {
    ReportFatalErrorUtf8(message::NotNumeric, 0);
  }
}

// Any number as a 32-bit integer: integers keep their low 32 bits, floating
// values truncate toward zero (out of range and NaN give INT32_MIN, as the
// processor's conversion does).
inline int32_t NumberToInt32(const ValueRecord& value) {
  RequireNumber(value);
  switch (BaseType(value.type)) {
    case type::Byte:
      return static_cast<int32_t>(value.low & 0xFFu);
    case type::Short:
      return static_cast<int16_t>(value.low & 0xFFFFu);
    case type::Float:
    case type::Double: {
      double d = BaseType(value.type) == type::Float ? value.AsFloat() : value.AsDouble();
      if (!(d > -2147483649.0 && d < 2147483648.0)) return INT32_MIN;
      return static_cast<int32_t>(d);
    }
    default:
      return static_cast<int32_t>(value.low);
  }
}

inline int32_t Int(const ValueRecord* args, int32_t count, int32_t index, int32_t fallback = 0) {
  return Given(args, count, index) ? NumberToInt32(args[index]) : fallback;
}

// A truth-value parameter: a Bool, or a number that is true when not zero;
// `fallback` when omitted.
inline bool Flag(const ValueRecord* args, int32_t count, int32_t index, bool fallback = false) {
  if (!Given(args, count, index)) return fallback;
  const ValueRecord& value = args[index];
  return IsNumericType(value.type) ? NumberToInt32(value) != 0 : value.low != 0;
}

inline const char* TextPointer(const ValueRecord* args, int32_t count, int32_t index) {
  return Given(args, count, index) ? args[index].AsPointer<const char>() : nullptr;
}

inline std::string_view Text(const ValueRecord* args, int32_t count, int32_t index) {
  return TextView(TextPointer(args, count, index));
}

inline const void* ByteSet(const ValueRecord* args, int32_t count, int32_t index) {
  return Given(args, count, index) ? args[index].AsPointer<const void>() : nullptr;
}

inline std::string_view ByteSetView(const void* block) {
  return {reinterpret_cast<const char*>(ByteSetBytes(block)),
          static_cast<size_t>(ByteSetCount(block))};
}

// Commands with a fixed result type write only the value.
inline void SetInt(ValueRecord* result, int32_t value) {
  result->SetValue(static_cast<uint32_t>(value));
}
inline void SetPointer(ValueRecord* result, const void* block) {
  result->SetValue(reinterpret_cast<uintptr_t>(block));
}

}  // namespace rt::args
