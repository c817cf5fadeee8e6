#include "ui/win32/theme_frame.h"

#include <algorithm>

namespace ui {
namespace {

// The side of the square a check box or radio button draws its mark in.
constexpr int kMarkSide = 13;

// Where the frame goes, in window coordinates.
RECT FrameRect(HWND control, ThemeClass kind) {
  RECT window{};
  GetWindowRect(control, &window);
  RECT frame{0, 0, window.right - window.left, window.bottom - window.top};
  switch (kind) {
    case ThemeClass::kGroupBox: {
      // The group's line starts halfway down its caption.
      HDC dc = GetDC(control);
      HGDIOBJ before =
          SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      SelectObject(dc, before);
      ReleaseDC(control, dc);
      frame.top = std::min<LONG>(metrics.tmHeight / 2, frame.bottom);
      break;
    }
    case ThemeClass::kCheckBox:
    case ThemeClass::kRadioButton:
      frame.top = std::max<LONG>((frame.bottom - kMarkSide) / 2, 0);
      frame.right = std::min<LONG>(kMarkSide, frame.right);
      frame.bottom = std::min<LONG>(frame.top + kMarkSide, frame.bottom);
      break;
    default:
      break;
  }
  return frame;
}

void Outline(HDC dc, const RECT& rect) {
  const POINT corners[] = {{rect.left, rect.top},
                           {rect.right - 1, rect.top},
                           {rect.right - 1, rect.bottom - 1},
                           {rect.left, rect.bottom - 1},
                           {rect.left, rect.top}};
  Polyline(dc, corners, 5);
}

}  // namespace

COLORREF ThemeFrameColour(int scheme, bool enabled) {
  if (!enabled) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    return RGB(std::max(GetRValue(face) - 32, 0), std::max(GetGValue(face) - 32, 0),
               std::max(GetBValue(face) - 32, 0));
  }
  switch (scheme) {
    case 1:
      return RGB(123, 158, 189);
    case 2:
      return RGB(164, 185, 127);
    default:
      return RGB(198, 197, 215);
  }
}

void DrawThemeFrame(HWND control, ThemeClass kind, int scheme, bool hot) {
  if (kind == ThemeClass::kNone || !IsWindowVisible(control)) return;
  const bool enabled = IsWindowEnabled(control) != FALSE;
  const RECT frame = FrameRect(control, kind);
  if (frame.right - frame.left < 2 || frame.bottom - frame.top < 2) return;
  HDC dc = GetWindowDC(control);
  HPEN pen = CreatePen(PS_SOLID, 1, ThemeFrameColour(scheme, enabled));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  Outline(dc, frame);
  // A hot control gets a second, inner frame line.
  if (enabled && hot) {
    Outline(dc, RECT{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1});
  }
  SelectObject(dc, old_pen);
  DeleteObject(pen);
  ReleaseDC(control, dc);
}

}  // namespace ui
