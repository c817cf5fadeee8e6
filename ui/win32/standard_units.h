// The standard units over the system's own controls: push button ("Button"),
// single-line edit box ("Edit"), label ("Static") and group box ("Button"
// with the group-box style). Each has its caption or content as property 8,
// a GBK text.
#pragma once

#include "ui/win32/unit.h"

namespace ui {

// Property 8 of the standard units: the control's window text.
class TextUnit : public Unit {
 public:
  using Unit::Unit;
  uint64_t ReadOwn(int32_t index, int32_t member) override;
  void WriteOwn(int32_t index, int32_t member, uint64_t value) override;
};

class ButtonUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;
  void OnCommand(WORD code) override;

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;
};

class EditBoxUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;
};

class LabelUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;
};

// A group box parents the units inside it, so it passes their notifications
// on to them: the system's group box would drop them.
class GroupBoxUnit : public TextUnit {
 public:
  using TextUnit::TextUnit;

 protected:
  HWND CreateControl(HWND parent, int left, int top, int width, int height) override;
};

}  // namespace ui
