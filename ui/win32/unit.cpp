#include "ui/win32/unit.h"

#include "runtime/blocks.h"
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
    : window_id_(window_id),
      form_(form),
      left_(form.left),
      top_(form.top),
      width_(form.width),
      height_(form.height) {}

Unit::~Unit() = default;

bool Unit::Create(HWND parent, HFONT font) {
  HWND control = CreateControl(parent, left_, top_, width_, height_);
  if (!control) return false;
  SetPropW(control, kUnitProperty, this);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (disabled_) EnableWindow(control, FALSE);
  if (visible_) ShowWindow(control, SW_SHOWNA);
  control_ = control;
  return true;
}

Unit* Unit::OfControl(HWND control) {
  return control ? static_cast<Unit*>(GetPropW(control, kUnitProperty)) : nullptr;
}

RECT Unit::LiveRect() const {
  RECT rect{};
  GetWindowRect(control_, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control_), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

uint64_t Unit::ReadCommon(int32_t property) const {
  const bool live = control_ != nullptr;
  const RECT rect = live ? LiveRect() : RECT{};
  const LONG style = live ? GetWindowLongW(control_, GWL_STYLE) : 0;
  switch (property) {
    case property::Left:
      return IntValue(live ? rect.left : left_);
    case property::Top:
      return IntValue(live ? rect.top : top_);
    case property::Width:
      return IntValue(live ? rect.right - rect.left : width_);
    case property::Height:
      return IntValue(live ? rect.bottom - rect.top : height_);
    case property::Tag:
      return TextValue(tag_);
    case property::Visible:
      // The unit's own flag: a unit inside a hidden parent still counts as shown.
      return IntValue(live ? (style & WS_VISIBLE) != 0 : visible_);
    case property::Disabled:
      return IntValue(live ? (style & WS_DISABLED) != 0 : disabled_);
    case property::MousePointer:
      return IntValue(mouse_pointer_);
    default:
      return 0;
  }
}

void Unit::WriteCommon(int32_t property, uint64_t value) {
  const auto number = static_cast<int32_t>(value);
  if (control_) {
    // Keep the stored values in step with what the control shows.
    const RECT rect = LiveRect();
    left_ = rect.left;
    top_ = rect.top;
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
  }
  switch (property) {
    case property::Left:
      left_ = number;
      break;
    case property::Top:
      top_ = number;
      break;
    case property::Width:
      width_ = number;
      break;
    case property::Height:
      height_ = number;
      break;
    case property::Tag:
      tag_ = std::string(TextFromValue(value));
      return;
    case property::Visible:
      visible_ = number != 0;
      if (control_) ShowWindow(control_, visible_ ? SW_SHOWNA : SW_HIDE);
      return;
    case property::Disabled:
      disabled_ = number != 0;
      if (control_) EnableWindow(control_, !disabled_);
      return;
    case property::MousePointer:
      // Kept for the application to read back; the units show the standard pointer.
      mouse_pointer_ = number;
      return;
    default:
      return;
  }
  if (control_) MoveWindow(control_, left_, top_, width_, height_, TRUE);
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

uint64_t TextValue(std::string_view gbk) {
  return reinterpret_cast<uintptr_t>(rt::NewText(gbk));
}

std::string_view TextFromValue(uint64_t value) {
  return rt::TextView(reinterpret_cast<const char*>(static_cast<uintptr_t>(value)));
}

uint64_t IntValue(int32_t value) {
  return static_cast<uint32_t>(value);
}

}  // namespace ui
