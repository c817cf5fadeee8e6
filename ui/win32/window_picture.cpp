#include "ui/win32/window_picture.h"

namespace ui {
namespace {

// Prints `window` (frame and client area) with its top-left corner at
// `origin`, then its visible children from the bottom of their order to the
// top, each clipped to its own place.
void PrintTree(HWND window, HDC dc, POINT origin) {
  const int saved = SaveDC(dc);
  RECT outer;
  GetWindowRect(window, &outer);
  IntersectClipRect(dc, origin.x, origin.y, origin.x + outer.right - outer.left,
                    origin.y + outer.bottom - outer.top);
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  RestoreDC(dc, saved);
  for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST); child;
       child = GetWindow(child, GW_HWNDPREV)) {
    if (!IsWindowVisible(child)) continue;
    RECT place;
    GetWindowRect(child, &place);
    const int saved_child = SaveDC(dc);
    // A child shows only inside its parent's place.
    IntersectClipRect(dc, origin.x, origin.y, origin.x + outer.right - outer.left,
                      origin.y + outer.bottom - outer.top);
    PrintTree(child, dc,
              POINT{origin.x + place.left - outer.left, origin.y + place.top - outer.top});
    RestoreDC(dc, saved_child);
  }
}

}  // namespace

COLORREF WindowPicture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const uint8_t* pixel = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
  return RGB(pixel[2], pixel[1], pixel[0]);
}

WindowPicture PrintClientArea(HWND window) {
  WindowPicture picture;
  RECT client{};
  if (!IsWindow(window) || !GetClientRect(window, &client)) return picture;
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return picture;
  // Where the client area's corner lies in the window's own frame.
  POINT corner{0, 0};
  ClientToScreen(window, &corner);
  RECT outer;
  GetWindowRect(window, &outer);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap && bits) {
    HGDIOBJ before = SelectObject(memory, bitmap);
    PrintTree(window, memory, POINT{outer.left - corner.x, outer.top - corner.y});
    GdiFlush();
    const auto* first = static_cast<const uint8_t*>(bits);
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(first, first + static_cast<size_t>(width) * height * 4);
    SelectObject(memory, before);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  return picture;
}

}  // namespace ui
