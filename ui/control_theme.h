// The control theme: a colour scheme (1, 2 or 3) for the standard controls of
// the calling thread. Switching it on takes over every eligible control that
// exists and, through a creation hook, every one created later; switching it
// off gives each control its own style and palette back.
#pragma once

#include <QWidget>
#include <cstdint>

#include "runtime/call_frame.h"

namespace ui {

namespace cmd {
// style -> Int: 1 for 1..3 (switched on); otherwise switched off, giving 1 when
// a creation hook was removed and 0 when none was set.
void ControlTheme(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
}  // namespace cmd

int32_t ControlTheme(int32_t style);

// Kinds of control the theme knows, named after the platform's window classes.
enum class ThemeClass {
  kNone,       // keeps its own look
  kButton,     // push (text, checkable push-like too), check box, radio button, group box
  kEdit,       // single- and multi-line edits
  kComboBox,   // drop-down combo box
  kComboList,  // a combo box's drop-down list
  kUpDown,     // spin boxes
};

// Widgets that paint themselves carry this property set to true, or are
// subclasses with their own meta-object; the theme leaves both alone.
inline constexpr const char* kOwnerDrawnProperty = "qvOwnerDrawn";

ThemeClass ThemeClassOf(const QWidget* widget);

// The calling thread's theme, for checks.
int ActiveThemeScheme();  // 0 when off
int ThemeHookCount();     // creation hooks in place: 0 or 1
// Controls held by the active theme, and whether it holds this one.
int ThemeTakenOverCount();
bool ThemeHolds(const QWidget* control);
bool ThemeControlIsHot(const QWidget* control);

}  // namespace ui
