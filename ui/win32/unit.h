// A window unit over a Win32 control: its form record, the properties every
// unit has (0 left, 1 top, 2 width, 3 height, 4 tag, 5 visible, 6 disabled,
// 7 mouse pointer), and its control while the window exists. Types add their
// own properties from number 8 on, their own control and what they do with
// the notifications their control sends its parent.
#pragma once

#include <windows.h>
// The common controls' declarations need the system's first.
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

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

  // Builds the control under `parent` at the stored place, in `font`. Window
  // thread. False when the system refuses the control.
  bool Create(HWND parent, HFONT font);
  // The window is gone, and the control with it: the stored values serve from
  // now on.
  void Forget() { control_ = nullptr; }

  int32_t window_id() const { return window_id_; }
  int32_t id() const { return form_.id; }
  rt::TypeCode type() const { return form_.type; }
  const FormUnit& form() const { return form_; }
  // Null before loading and once the window is gone.
  HWND control() const { return control_; }

  // Properties 0..7. Texts are GBK; a text read is a new runtime block (or null).
  uint64_t ReadCommon(int32_t property) const;
  void WriteCommon(int32_t property, uint64_t value);

  // The type's own properties, numbered from 0 (= property 8). Only called
  // while the control exists. Unknown numbers read 0 and ignore writes.
  virtual uint64_t ReadOwn(int32_t index, int32_t member);
  virtual void WriteOwn(int32_t index, int32_t member, uint64_t value);

  // A WM_COMMAND notification code the control sent its parent.
  virtual void OnCommand(WORD code);
  // A WM_NOTIFY the control sent its parent; true (with the answer in
  // `result`) when the unit answers it.
  virtual bool OnNotify(const NMHDR& header, LRESULT* result);

  // The unit whose control this is, or null.
  static Unit* OfControl(HWND control);

 protected:
  virtual HWND CreateControl(HWND parent, int left, int top, int width, int height) = 0;
  // Routes one of this unit's events to the application handler bound to it.
  void RaiseEvent(int32_t event) const;

 private:
  // Place and size as the parent's client area sees them.
  UnitPlace ShownPlace() const;

  int32_t window_id_;
  const FormUnit& form_;
  CommonProperties common_;
  HWND control_ = nullptr;
};

// The unit for a form record, by its type code; null for an unknown type.
std::unique_ptr<Unit> MakeUnit(int32_t window_id, const FormUnit& form);

// Passes the notifications that controls send their parent (WM_COMMAND,
// WM_NOTIFY) to the units of those controls. True when one was handled, with
// the answer in `result`. The window and the group boxes, which parent units,
// call it first.
bool RouteControlNotification(UINT message, WPARAM w_param, LPARAM l_param, LRESULT* result);

}  // namespace ui
