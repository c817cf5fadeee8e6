#include "ui/win32/cartoon_units.h"

#include <span>
#include <vector>

#include "runtime/blocks.h"
#include "ui/cartoon_composer.h"
#include "ui/win32/window_class.h"

namespace ui {
namespace {

constexpr const wchar_t* kBoxClass = L"QuoteviewCartoonBox";
constexpr const wchar_t* kObjectClass = L"QuoteviewCartoonObject";

// Paints `area` of the box (client coordinates) into `dc` at the same place.
void PaintBox(HDC dc, const RECT& area, const CartoonBoxModel& model) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  // Blue, green, red and a fourth byte left 0, rows top to bottom without
  // padding: a top-down 32-bit device-independent bitmap as it is.
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  ComposeBox(pixels.data(), area.left, area.top, width, height, CartoonBoxUnit::kBackgroundRgb,
             model.objects());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(width), static_cast<DWORD>(height),
                    0, 0, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK BoxProcedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  const auto* model = reinterpret_cast<const CartoonBoxModel*>(GetWindowLongPtrW(window, 0));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l_param);
      SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted from the composed buffer
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (model) PaintBox(dc, paint.rcPaint, *model);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, w_param, l_param);
}

LRESULT CALLBACK ObjectProcedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go to what lies beneath
    default:
      return DefWindowProcW(window, message, w_param, l_param);
  }
}

}  // namespace

HWND CartoonBoxUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  // The window data holds the model the box paints.
  RegisterWindowClass(kBoxClass, BoxProcedure, nullptr, sizeof(LONG_PTR));
  return CreateWindowExW(0, kBoxClass, L"", WS_CHILD, left, top, width, height, parent, nullptr,
                         ModuleInstance(), &model_);
}

int32_t CartoonBoxUnit::AddObject(const CartoonObjectModel* template_or_null, double x, double y,
                                  bool visible, std::string tag) {
  const int32_t id = model_.AddObject(template_or_null, x, y, visible, std::move(tag));
  if (control()) InvalidateRect(control(), nullptr, FALSE);
  return id;
}

void CartoonBoxUnit::RemoveAllObjects() {
  model_.RemoveAllObjects([this](int) {
    RaiseEvent(event::ObjectRemoved);
    return control() != nullptr;  // a handler may have closed the window
  });
  if (control()) InvalidateRect(control(), nullptr, FALSE);
}

HWND CartoonObjectUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  RegisterWindowClass(kObjectClass, ObjectProcedure, nullptr);
  // A placeholder that keeps the unit's place and size: transparent, so
  // whatever lies beneath shows through it.
  return CreateWindowExW(WS_EX_TRANSPARENT, kObjectClass, L"", WS_CHILD, left, top, width, height,
                         parent, nullptr, ModuleInstance(), nullptr);
}

void CartoonObjectUnit::WriteOwn(int32_t index, int32_t, uint64_t value) {
  if (index != property::PictureData - property::FirstOwn) return;
  const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(value));
  const auto count = static_cast<size_t>(rt::ByteSetCount(block));
  model_.SetPictureBytes(std::span<const uint8_t>(rt::ByteSetBytes(block), count));
}

}  // namespace ui
