// The control theme over Win32 controls: which controls it takes over, and the
// calling thread's theme, for checks. The command itself is declared in
// ui/control_theme.h. Switching on installs a creation hook (WH_CBT) for the
// calling thread and replaces the window procedure of every eligible control
// of the thread, existing or created later; switching off gives each its own
// procedure back and removes the hook.
#pragma once

#include <windows.h>

#include <string_view>

#include "ui/control_theme.h"
#include "ui/win32/theme_frame.h"

namespace ui {

// How the theme takes over a control of `window_class` with `style`, with or
// without a caption, whose parent is of `parent_class`.
ThemeClass ThemeClassOf(std::wstring_view window_class, DWORD style, bool has_text,
                        std::wstring_view parent_class);
ThemeClass ThemeClassOf(HWND control);

// The calling thread's theme, for checks.
int ActiveThemeScheme();  // 0 when off
int ThemeHookCount();     // creation hooks in place in the process
// Controls held by the active theme, and whether it holds this one.
int ThemeTakenOverCount();
bool ThemeHolds(HWND control);
bool ThemeControlIsHot(HWND control);

}  // namespace ui
