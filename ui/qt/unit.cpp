#include "ui/qt/unit.h"

#include "ui/qt/gbk_qt.h"
#include "ui/qt/window_registry.h"

namespace ui {

Unit::Unit(int32_t window_id, const FormUnit& form)
    : window_id_(window_id), form_(form), common_(form) {}

Unit::~Unit() = default;

void Unit::Create(QWidget* parent) {
  QWidget* widget = CreateWidget(parent);
  if (*form_.accessible_name) widget->setAccessibleName(LiteralToQString(form_.accessible_name));
  if (*form_.accessible_description) {
    widget->setAccessibleDescription(LiteralToQString(form_.accessible_description));
  }
  const UnitPlace& place = common_.place();
  widget->setGeometry(place.left, place.top, place.width, place.height);
  widget->setVisible(common_.visible());
  widget->setEnabled(!common_.disabled());
  widget_ = widget;
}

namespace {

UnitPlace PlaceOf(const QWidget& widget) {
  return {widget.x(), widget.y(), widget.width(), widget.height()};
}

}  // namespace

uint64_t Unit::ReadCommon(int32_t property) const {
  const QWidget* live = widget_.data();
  if (!live) return common_.Read(property, nullptr);
  const ShownState shown{PlaceOf(*live), !live->isHidden(),
                         !live->isEnabledTo(live->parentWidget())};
  return common_.Read(property, &shown);
}

void Unit::WriteCommon(int32_t property, uint64_t value) {
  QWidget* live = widget_.data();
  if (!live) {
    common_.Write(property, value, nullptr);
    return;
  }
  const UnitPlace shown = PlaceOf(*live);
  switch (common_.Write(property, value, &shown)) {
    case CommonProperties::Change::kPlace: {
      const UnitPlace& place = common_.place();
      live->setGeometry(place.left, place.top, place.width, place.height);
      return;
    }
    case CommonProperties::Change::kVisible:
      live->setVisible(common_.visible());
      return;
    case CommonProperties::Change::kDisabled:
      live->setEnabled(!common_.disabled());
      return;
    case CommonProperties::Change::kNothing:
      return;
  }
}

uint64_t Unit::ReadOwn(int32_t, int32_t) {
  return 0;
}
void Unit::WriteOwn(int32_t, int32_t, uint64_t) {}

void Unit::RaiseEvent(int32_t event) const {
  DispatchEvent(window_id_, form_.id, event);
}

}  // namespace ui
