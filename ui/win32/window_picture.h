// A picture of what a window's client area shows, its children included.
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

  // CLR_INVALID outside the picture.
  COLORREF At(int x, int y) const;
};

// Lets the window and everything in it paint what is due, then copies the
// client area from the window's own surface. Empty when the window is gone or
// has no area. Window thread.
WindowPicture CaptureClientArea(HWND window);

}  // namespace ui
