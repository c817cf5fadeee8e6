// The control theme over Qt widgets: which kinds of control it takes over, and
// the calling thread's theme, for checks. The command itself is declared in
// ui/control_theme.h.
#pragma once

#include <QWidget>

#include "ui/control_theme.h"

namespace ui {

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
