#include "ui/form_loader.h"

#include <memory>

#include "runtime/fatal_error.h"
#include "ui/win32/gbk_wide.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_registry.h"
#include "ui/win32/window_runtime.h"
#include "ui/win32/window_thread.h"

namespace ui {
namespace {

constexpr const wchar_t* kWindowClass = L"QuoteviewWindow";
// A caption bar with the system menu and the minimise button; the size is
// the form's. The window paints its background under its children too: a
// group box paints only its frame and caption and shows what lies beneath.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

LoadedWindow* RecordOf(HWND window) {
  return reinterpret_cast<LoadedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  LRESULT result = 0;
  if (RouteControlNotification(message, w_param, l_param, &result)) return result;
  if (message == WM_NCDESTROY) {
    if (LoadedWindow* record = RecordOf(window)) WindowGone(*record);
  }
  return DefWindowProcW(window, message, w_param, l_param);
}

HWND ParentOf(HWND window, const std::vector<std::unique_ptr<Unit>>& built, int32_t parent_id) {
  if (parent_id == kWindowItself) return window;
  for (const auto& unit : built) {
    if (unit->id() == parent_id) return unit->control();
  }
  return nullptr;
}

bool BuildWindow(int32_t window_id) {
  const FormDescription* form = FindForm(window_id);
  if (!form) return false;
  RegisterWindowClass(kWindowClass, WindowProcedure,
                      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  // The position is the frame's top-left corner and the size the frame's.
  // Tab moves through the controls inside group boxes as well.
  HWND window =
      CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, LiteralToWide(form->caption).c_str(),
                      kWindowStyle, form->left, form->top, form->width, form->height, nullptr,
                      nullptr, ModuleInstance(), nullptr);
  if (!window) return false;

  std::vector<std::unique_ptr<Unit>> units;
  for (const FormUnit& unit_form : form->units) {
    std::unique_ptr<Unit> unit = MakeUnit(window_id, unit_form);
    HWND parent = ParentOf(window, units, unit_form.parent);
    if (!unit || !parent || unit_form.id == kWindowItself || !unit->Create(parent, WindowFont())) {
      DestroyWindow(window);
      return false;
    }
    units.push_back(std::move(unit));
  }

  LoadedWindow& loaded = AddLoadedWindow(*form);
  loaded.handle = window;
  loaded.units = std::move(units);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&loaded));
  DispatchEvent(window_id, kWindowItself, event::WindowCreated);
  // The creation handler may have closed the window already.
  if (loaded.handle) {
    ShowWindow(loaded.handle, SW_SHOW);
    UpdateWindow(loaded.handle);
  }
  return true;
}

}  // namespace

bool LoadWindow(int32_t window_id) {
  return RunOnWindowThread([window_id] { return BuildWindow(window_id); });
}

void LoadStartWindow(int32_t window_id) {
  if (!LoadWindow(window_id)) rt::ReportFatalErrorUtf8(rt::message::LoadStartWindowFailed, 0);
}

}  // namespace ui
