// A window unit: its form record, the properties every unit has (0 left,
// 1 top, 2 width, 3 height, 4 tag, 5 visible, 6 disabled, 7 mouse pointer),
// and its widget while the window exists. Types add their own properties
// from number 8 on and their own widget.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/common_properties.h"
#include "ui/form.h"
#include "ui/unit_properties.h"

namespace ui {

class Unit {
 public:
  Unit(int32_t window_id, const FormUnit& form);
  virtual ~Unit();
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  // Builds the widget under `parent` at the stored position. Window thread.
  void Create(QWidget* parent);

  int32_t window_id() const { return window_id_; }
  int32_t id() const { return form_.id; }
  rt::TypeCode type() const { return form_.type; }
  const FormUnit& form() const { return form_; }
  // Null before loading and once the window is gone.
  QWidget* widget() const { return widget_.data(); }

  // Properties 0..7. Texts are GBK; a text read is a new runtime block (or null).
  uint64_t ReadCommon(int32_t property) const;
  void WriteCommon(int32_t property, uint64_t value);

  // The type's own properties, numbered from 0 (= property 8). Only called
  // while the widget exists. Unknown numbers read 0 and ignore writes.
  virtual uint64_t ReadOwn(int32_t index, int32_t member);
  virtual void WriteOwn(int32_t index, int32_t member, uint64_t value);

 protected:
  virtual QWidget* CreateWidget(QWidget* parent) = 0;
  // Routes one of this unit's events to the application handler bound to it.
  void RaiseEvent(int32_t event) const;

 private:
  int32_t window_id_;
  const FormUnit& form_;
  CommonProperties common_;
  QPointer<QWidget> widget_;
};

// The unit for a form record, by its type code; null for an unknown type.
std::unique_ptr<Unit> MakeUnit(int32_t window_id, const FormUnit& form);

}  // namespace ui
