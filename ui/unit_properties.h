// The runtime's property entries for window units, which the backend
// defines, and typed helpers over them. Numbers 0..7 belong to every unit (from the live widget
// when it exists, else the stored values); from 8 on they are the type's own and need the unit's
// window to exist. Any thread; carried out on the window thread.
#pragma once

#include <cstdint>

#include "runtime/owned.h"
#include "ui/unit_ref.h"

namespace ui {

// The property numbers the program uses: 0..7 belong to every unit, the
// others to the unit types named beside them.
namespace property {
inline constexpr int32_t Left = 0;
inline constexpr int32_t Top = 1;
inline constexpr int32_t Width = 2;
inline constexpr int32_t Height = 3;
inline constexpr int32_t Tag = 4;
inline constexpr int32_t Visible = 5;
inline constexpr int32_t Disabled = 6;
inline constexpr int32_t MousePointer = 7;
inline constexpr int32_t FirstOwn = 8;           // a type's own properties start here
inline constexpr int32_t Text = 8;               // Button, EditBox, Label, GroupBox
inline constexpr int32_t PictureData = 11;       // CartoonObject, write: image file bytes
inline constexpr int32_t FirstSelectedRow = 35;  // ListView, read: row or -1
}  // namespace property

// A text result is a new runtime block owned by the caller (null when empty).
// Fatal: "未载入欲访问窗口组件所在的窗口" for a window id never loaded,
// "指定窗口或窗口组件不存在或尚未载入" for a unit the window lacks, and
// "指定窗口尚未载入" for a number from 8 on once the unit's window is gone.
uint64_t ReadUnitProperty(int32_t window_id, int32_t unit_id, int32_t property, int32_t member);
// Texts and byte sets are passed as block pointers in (low, high) and copied.
void WriteUnitProperty(int32_t window_id, int32_t unit_id, int32_t property, int32_t member,
                       uint32_t low, uint32_t high);

namespace detail {
inline void WritePointer(const UnitRef& unit, int32_t property, const void* pointer) {
  const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
  WriteUnitProperty(unit.window, unit.unit, property, -1, static_cast<uint32_t>(value),
                    static_cast<uint32_t>(value >> 32));
}
}  // namespace detail

inline int32_t ReadUnitInt(const UnitRef& unit, int32_t property) {
  return static_cast<int32_t>(ReadUnitProperty(unit.window, unit.unit, property, -1));
}

inline rt::Text ReadUnitText(const UnitRef& unit, int32_t property) {
  const uint64_t block = ReadUnitProperty(unit.window, unit.unit, property, -1);
  return rt::Text(reinterpret_cast<char*>(static_cast<uintptr_t>(block)));
}

inline void WriteUnitInt(const UnitRef& unit, int32_t property, int32_t value) {
  WriteUnitProperty(unit.window, unit.unit, property, -1, static_cast<uint32_t>(value), 0);
}

inline void WriteUnitText(const UnitRef& unit, int32_t property, rt::TextRef text) {
  detail::WritePointer(unit, property, text.get());
}

inline void WriteUnitByteSet(const UnitRef& unit, int32_t property, rt::ByteSetRef bytes) {
  detail::WritePointer(unit, property, bytes.get());
}

}  // namespace ui
