// How an operation names a window unit: window id, unit id and the unit's type
// code (library number * 65536 + type number), carried in one value record.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace ui {

namespace unit_type {
// Units of the core window library (library 0).
inline constexpr rt::TypeCode Window = 0 * 65536 + 1;
inline constexpr rt::TypeCode Button = 0 * 65536 + 2;
inline constexpr rt::TypeCode EditBox = 0 * 65536 + 3;
inline constexpr rt::TypeCode Label = 0 * 65536 + 4;
inline constexpr rt::TypeCode GroupBox = 0 * 65536 + 5;
// The list view library (4) and the animation library (5).
inline constexpr rt::TypeCode ListView = 4 * 65536 + 4;
inline constexpr rt::TypeCode CartoonBox = 5 * 65536 + 8;
inline constexpr rt::TypeCode CartoonObject = 5 * 65536 + 9;
}  // namespace unit_type

// Library numbers handed to CallLibraryCommand by the typed wrappers.
inline constexpr int32_t kWindowLibrary = 0;
inline constexpr int32_t kListViewLibrary = 4;
inline constexpr int32_t kCartoonLibrary = 5;

struct UnitRef {
  int32_t window = 0;
  int32_t unit = 0;
  rt::TypeCode type = rt::type::None;

  // {low = window id, high = unit id, type = unit type code}.
  rt::ValueRecord Record() const {
    rt::ValueRecord record;
    record.low = static_cast<uint32_t>(window);
    record.high = static_cast<uint32_t>(unit);
    record.type = type;
    return record;
  }
  static UnitRef From(const rt::ValueRecord& record) {
    return {static_cast<int32_t>(record.low), static_cast<int32_t>(record.high), record.type};
  }
  friend bool operator==(const UnitRef&, const UnitRef&) = default;
};

// Argument `index` of a window-unit command as the unit it names; one past the
// count names no unit.
inline UnitRef UnitArg(const rt::ValueRecord* args, int32_t count, int32_t index) {
  return index < count ? UnitRef::From(args[index]) : UnitRef{};
}

}  // namespace ui
