#include "ui/unit_properties.h"

#include "runtime/fatal_error.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_thread.h"

namespace ui {
namespace {

// The unit whose property `property` may be used now; fatal otherwise.
Unit& UnitForProperty(int32_t window_id, int32_t unit_id, int32_t property) {
  Unit& unit = LookUpUnit(window_id, unit_id);
  if (property >= property::FirstOwn && !unit.widget()) {
    rt::ReportFatalErrorUtf8(rt::message::WindowNotLoaded, 0);
  }
  return unit;
}

void WritePointer(const UnitRef& unit, int32_t property, const void* pointer) {
  const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer));
  WriteUnitProperty(unit.window, unit.unit, property, -1, static_cast<uint32_t>(value),
                    static_cast<uint32_t>(value >> 32));
}

}  // namespace

uint64_t ReadUnitProperty(int32_t window_id, int32_t unit_id, int32_t property, int32_t member) {
  return RunOnWindowThread([=]() -> uint64_t {
    Unit& unit = UnitForProperty(window_id, unit_id, property);
    if (property < property::FirstOwn) return unit.ReadCommon(property);
    return unit.ReadOwn(property - property::FirstOwn, member);
  });
}

void WriteUnitProperty(int32_t window_id, int32_t unit_id, int32_t property, int32_t member,
                       uint32_t low, uint32_t high) {
  RunOnWindowThread([=] {
    Unit& unit = UnitForProperty(window_id, unit_id, property);
    const uint64_t value = (uint64_t{high} << 32) | low;
    if (property < property::FirstOwn) {
      unit.WriteCommon(property, value);
    } else {
      unit.WriteOwn(property - property::FirstOwn, member, value);
    }
  });
}

int32_t ReadUnitInt(const UnitRef& unit, int32_t property) {
  return static_cast<int32_t>(ReadUnitProperty(unit.window, unit.unit, property, -1));
}

rt::Text ReadUnitText(const UnitRef& unit, int32_t property) {
  const uint64_t block = ReadUnitProperty(unit.window, unit.unit, property, -1);
  return rt::Text(reinterpret_cast<char*>(static_cast<uintptr_t>(block)));
}

void WriteUnitInt(const UnitRef& unit, int32_t property, int32_t value) {
  WriteUnitProperty(unit.window, unit.unit, property, -1, static_cast<uint32_t>(value), 0);
}

void WriteUnitText(const UnitRef& unit, int32_t property, rt::TextRef text) {
  WritePointer(unit, property, text.get());
}

void WriteUnitByteSet(const UnitRef& unit, int32_t property, rt::ByteSetRef bytes) {
  WritePointer(unit, property, bytes.get());
}

}  // namespace ui
