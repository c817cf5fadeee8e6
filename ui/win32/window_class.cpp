#include "ui/win32/window_class.h"

#include <mutex>
#include <set>
#include <string>

namespace ui {

HINSTANCE ModuleInstance() {
  return GetModuleHandleW(nullptr);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background,
                         int extra_bytes) {
  static std::mutex mutex;
  static std::set<std::wstring> registered;
  std::lock_guard lock(mutex);
  if (!registered.insert(name).second) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.cbWndExtra = extra_bytes;
  window_class.hInstance = ModuleInstance();
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
}

}  // namespace ui
