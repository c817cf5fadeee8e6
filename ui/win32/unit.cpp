#include "ui/win32/unit.h"

#include "ui/win32/gbk_wide.h"
#include "ui/win32/window_registry.h"

namespace ui {
namespace {

// The property on each control that leads back to its unit. A named property
// rather than the control's user data: a control the program did not make
// never answers to it.
constexpr const wchar_t* kUnitProperty = L"QuoteviewUnit";

}  // namespace

Unit::Unit(int32_t window_id, const FormUnit& form)
    : window_id_(window_id), form_(form), common_(form) {}

Unit::~Unit() = default;

bool Unit::Create(HWND parent, HFONT font) {
  const UnitPlace& place = common_.place();
  HWND control = CreateControl(parent, place.left, place.top, place.width, place.height);
  if (!control) return false;
  SetPropW(control, kUnitProperty, this);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (common_.disabled()) EnableWindow(control, FALSE);
  if (common_.visible()) ShowWindow(control, SW_SHOWNA);
  control_ = control;
  return true;
}

Unit* Unit::OfControl(HWND control) {
  return control ? static_cast<Unit*>(GetPropW(control, kUnitProperty)) : nullptr;
}

UnitPlace Unit::ShownPlace() const {
  RECT rect{};
  GetWindowRect(control_, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control_), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

uint64_t Unit::ReadCommon(int32_t property) const {
  if (!control_) return common_.Read(property, nullptr);
  const LONG style = GetWindowLongW(control_, GWL_STYLE);
  const ShownState shown{ShownPlace(), (style & WS_VISIBLE) != 0, (style & WS_DISABLED) != 0};
  return common_.Read(property, &shown);
}

void Unit::WriteCommon(int32_t property, uint64_t value) {
  if (!control_) {
    common_.Write(property, value, nullptr);
    return;
  }
  const UnitPlace shown = ShownPlace();
  switch (common_.Write(property, value, &shown)) {
    case CommonProperties::Change::kPlace: {
      const UnitPlace& place = common_.place();
      MoveWindow(control_, place.left, place.top, place.width, place.height, TRUE);
      return;
    }
    case CommonProperties::Change::kVisible:
      ShowWindow(control_, common_.visible() ? SW_SHOWNA : SW_HIDE);
      return;
    case CommonProperties::Change::kDisabled:
      EnableWindow(control_, !common_.disabled());
      return;
    case CommonProperties::Change::kNothing:
      return;
  }
}

uint64_t Unit::ReadOwn(int32_t, int32_t) {
  return 0;
}
void Unit::WriteOwn(int32_t, int32_t, uint64_t) {}
void Unit::OnCommand(WORD) {}
bool Unit::OnNotify(const NMHDR&, LRESULT*) {
  return false;
}

void Unit::RaiseEvent(int32_t event) const {
  DispatchEvent(window_id_, form_.id, event);
}

bool RouteControlNotification(UINT message, WPARAM w_param, LPARAM l_param, LRESULT* result) {
  if (message == WM_COMMAND && l_param != 0) {
    Unit* unit = Unit::OfControl(reinterpret_cast<HWND>(l_param));
    if (!unit) return false;
    unit->OnCommand(HIWORD(w_param));
    *result = 0;
    return true;
  }
  if (message == WM_NOTIFY && l_param != 0) {
    const auto& header = *reinterpret_cast<const NMHDR*>(l_param);
    Unit* unit = Unit::OfControl(header.hwndFrom);
    return unit && unit->OnNotify(header, result);
  }
  return false;
}

}  // namespace ui
