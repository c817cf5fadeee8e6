// Reading the argument records of the window-unit commands: omitted optional
// arguments arrive as all-zero records and take the command's default.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/value.h"
#include "ui/unit_ref.h"

namespace ui {

// Argument `index`, or an omitted record when the caller passed fewer.
const rt::ValueRecord& ArgAt(const rt::ValueRecord* args, int32_t count, int32_t index);

// A numeric value as an Int (floating point truncated toward zero); nullopt
// when omitted. Any other value ends the program ("欲转换数据类型不是数值").
std::optional<int32_t> OptionalInt(const rt::ValueRecord& arg);
inline int32_t IntOr(const rt::ValueRecord& arg, int32_t fallback) {
  return OptionalInt(arg).value_or(fallback);
}
// A truth-value argument: a Bool, or a number that is true when not zero;
// `fallback` when omitted.
bool FlagOr(const rt::ValueRecord& arg, bool fallback);
// A Text argument's bytes; empty when omitted or null.
std::string_view TextArg(const rt::ValueRecord& arg);

inline void SetIntResult(rt::ValueRecord* result, int32_t value) {
  result->low = static_cast<uint32_t>(value);
  result->high = 0;
}
inline void SetPointerResult(rt::ValueRecord* result, const void* pointer) {
  result->SetValue(reinterpret_cast<uintptr_t>(pointer));
}

}  // namespace ui
