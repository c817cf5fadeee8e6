#include "ui/win32/standard_units.h"

#include "ui/win32/gbk_wide.h"
#include "ui/win32/window_class.h"

namespace ui {
namespace {

HWND MakeControl(DWORD extended_style, const wchar_t* window_class, const char* utf8_text,
                 DWORD style, HWND parent, int left, int top, int width, int height) {
  return CreateWindowExW(extended_style, window_class, LiteralToWide(utf8_text).c_str(),
                         WS_CHILD | style, left, top, width, height, parent, nullptr,
                         ModuleInstance(), nullptr);
}

// Where a group box keeps the procedure it had before, to which everything
// but its children's notifications goes on (the system's, or a theme's that
// took the box over while it was being created).
constexpr const wchar_t* kGroupBoxProcedure = L"QuoteviewGroupBoxProcedure";

LRESULT CALLBACK GroupBoxProcedure(HWND window, UINT message, WPARAM w_param, LPARAM l_param) {
  LRESULT result = 0;
  if (RouteControlNotification(message, w_param, l_param, &result)) return result;
  const auto before = reinterpret_cast<WNDPROC>(GetPropW(window, kGroupBoxProcedure));
  if (message == WM_NCDESTROY) RemovePropW(window, kGroupBoxProcedure);
  return CallWindowProcW(before, window, message, w_param, l_param);
}

}  // namespace

uint64_t TextUnit::ReadOwn(int32_t index, int32_t) {
  if (index != property::Text - property::FirstOwn) return 0;
  const int length = GetWindowTextLengthW(control());
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control(), text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return TextValue(WideToGbk(text));
}

void TextUnit::WriteOwn(int32_t index, int32_t, uint64_t value) {
  if (index != property::Text - property::FirstOwn) return;
  // The control repaints itself when its text changes.
  SetWindowTextW(control(), GbkToWide(TextFromValue(value)).c_str());
}

HWND ButtonUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  return MakeControl(0, L"Button", form().text, WS_TABSTOP | BS_PUSHBUTTON, parent, left, top,
                     width, height);
}

void ButtonUnit::OnCommand(WORD code) {
  if (code == BN_CLICKED) RaiseEvent(event::ButtonClicked);
}

HWND EditBoxUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  return MakeControl(WS_EX_CLIENTEDGE, L"Edit", form().text, WS_TABSTOP | ES_AUTOHSCROLL, parent,
                     left, top, width, height);
}

HWND LabelUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  // One line, vertically centred, never broken, with "&" shown as it is.
  return MakeControl(0, L"Static", form().text, SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX,
                     parent, left, top, width, height);
}

HWND GroupBoxUnit::CreateControl(HWND parent, int left, int top, int width, int height) {
  // It parents units: keyboard navigation goes into it for them.
  HWND group = MakeControl(WS_EX_CONTROLPARENT, L"Button", form().text, BS_GROUPBOX, parent, left,
                           top, width, height);
  if (!group) return nullptr;
  SetPropW(group, kGroupBoxProcedure,
           reinterpret_cast<HANDLE>(GetWindowLongPtrW(group, GWLP_WNDPROC)));
  SetWindowLongPtrW(group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupBoxProcedure));
  return group;
}

}  // namespace ui
