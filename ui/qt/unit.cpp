#include "ui/qt/unit.h"

#include "runtime/blocks.h"
#include "ui/qt/gbk_qt.h"
#include "ui/qt/window_registry.h"

namespace ui {

Unit::Unit(int32_t window_id, const FormUnit& form)
    : window_id_(window_id),
      form_(form),
      left_(form.left),
      top_(form.top),
      width_(form.width),
      height_(form.height) {}

Unit::~Unit() = default;

void Unit::Create(QWidget* parent) {
  QWidget* widget = CreateWidget(parent);
  if (*form_.accessible_name) widget->setAccessibleName(LiteralToQString(form_.accessible_name));
  if (*form_.accessible_description) {
    widget->setAccessibleDescription(LiteralToQString(form_.accessible_description));
  }
  widget->setGeometry(left_, top_, width_, height_);
  widget->setVisible(visible_);
  widget->setEnabled(!disabled_);
  widget_ = widget;
}

uint64_t Unit::ReadCommon(int32_t property) const {
  const QWidget* live = widget_.data();
  switch (property) {
    case property::Left:
      return IntValue(live ? live->x() : left_);
    case property::Top:
      return IntValue(live ? live->y() : top_);
    case property::Width:
      return IntValue(live ? live->width() : width_);
    case property::Height:
      return IntValue(live ? live->height() : height_);
    case property::Tag:
      return TextValue(tag_);
    case property::Visible:
      return IntValue(live ? !live->isHidden() : visible_);
    case property::Disabled:
      return IntValue(live ? !live->isEnabledTo(live->parentWidget()) : disabled_);
    case property::MousePointer:
      return IntValue(mouse_pointer_);
    default:
      return 0;
  }
}

void Unit::WriteCommon(int32_t property, uint64_t value) {
  const auto number = static_cast<int32_t>(value);
  QWidget* live = widget_.data();
  if (live) {
    // Keep the stored values in step with what the widget shows.
    left_ = live->x();
    top_ = live->y();
    width_ = live->width();
    height_ = live->height();
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
      if (live) live->setVisible(visible_);
      return;
    case property::Disabled:
      disabled_ = number != 0;
      if (live) live->setEnabled(!disabled_);
      return;
    case property::MousePointer:
      // Kept for the application to read back; the units show the standard pointer.
      mouse_pointer_ = number;
      return;
    default:
      return;
  }
  if (live) live->setGeometry(left_, top_, width_, height_);
}

uint64_t Unit::ReadOwn(int32_t, int32_t) {
  return 0;
}
void Unit::WriteOwn(int32_t, int32_t, uint64_t) {}

void Unit::RaiseEvent(int32_t event) const {
  DispatchEvent(window_id_, form_.id, event);
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
