#include "ui/win32/window_picture.h"

namespace ui {

COLORREF WindowPicture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const uint8_t* pixel = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
  return RGB(pixel[2], pixel[1], pixel[0]);
}

WindowPicture CaptureClientArea(HWND window) {
  WindowPicture picture;
  RECT client{};
  if (!IsWindow(window) || !GetClientRect(window, &client)) return picture;
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return picture;
  // The copy is taken of what the window shows rather than asking each
  // window to print itself: the controls' printing (WM_PRINT) leaves out
  // frames and children on some systems, and painting is what the user sees.
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap && bits) {
    HGDIOBJ before = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY)) {
      GdiFlush();
      const auto* first = static_cast<const uint8_t*>(bits);
      picture.width = width;
      picture.height = height;
      picture.pixels.assign(first, first + static_cast<size_t>(width) * height * 4);
    }
    SelectObject(memory, before);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(window, source);
  return picture;
}

}  // namespace ui
