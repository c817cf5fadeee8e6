// The look of a control taken over by the control theme: a frame in the
// scheme's colour (darker for a disabled control) over what the control
// paints itself, doubled while the mouse is over the control.
#pragma once

#include <windows.h>

namespace ui {

// Kinds of control the theme knows, after the platform's window classes and
// styles.
enum class ThemeClass {
  kNone,         // keeps its own look
  kPushButton,   // push and default push buttons, push-like check and radio buttons
  kCheckBox,     // check boxes, two- and three-state
  kRadioButton,  //
  kGroupBox,     //
  kEdit,         //
  kComboBox,     // combo boxes whose list drops down
  kComboList,    // the drop-down list of a combo box
  kUpDown,       //
};

// The frame colour of scheme 1, 2 or 3; a disabled control's frame is the
// system's button-face colour darkened by 32 in each of red, green and blue.
COLORREF ThemeFrameColour(int scheme, bool enabled);

// Draws the frame over the control's window as it stands.
void DrawThemeFrame(HWND control, ThemeClass kind, int scheme, bool hot);

}  // namespace ui
