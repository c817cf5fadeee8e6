// A picture of a window as it paints itself: the window and every visible
// window inside it print into one bitmap, each at its place, so what covers
// the window on the screen does not matter. Each window is asked on its own
// (WM_PRINT) rather than through its parent, which not every system's default
// handling passes on to the children.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace ui {

struct WindowPicture {
  int width = 0;
  int height = 0;
  // Blue, green, red and a fourth byte per pixel, rows top to bottom.
  std::vector<uint8_t> pixels;

  COLORREF At(int x, int y) const;
};

// The client area of `window`, children included. Empty when the window is
// gone or has no area. Window thread.
WindowPicture PrintClientArea(HWND window);

}  // namespace ui
