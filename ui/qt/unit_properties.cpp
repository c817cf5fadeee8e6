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

}  // namespace ui
