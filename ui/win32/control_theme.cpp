#include "ui/win32/control_theme.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "runtime/command_args.h"

namespace ui {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  const int length = window ? GetClassNameW(window, name, 64) : 0;
  return std::wstring(name, static_cast<size_t>(std::max(length, 0)));
}

// What the theme keeps of a control it took over. A control whose procedure
// was replaced again after ours cannot be given its own back when the theme
// goes; its record then stays, inactive, and ours passes everything on.
struct Held {
  WNDPROC own = nullptr;
  ThemeClass kind = ThemeClass::kNone;
  bool active = true;
  bool hot = false;
};

// The theme of one thread: controls belong to the thread that made them, and
// the hook watches that thread alone.
struct ThreadTheme {
  int scheme = 0;
  HHOOK hook = nullptr;
  std::map<HWND, Held> held;
};
thread_local ThreadTheme theme;

std::atomic<int> installed_hooks{0};

// Messages after which the control may have painted itself without WM_PAINT,
// so the frame is drawn again.
bool MayHavePainted(UINT message) {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case EM_SETSEL:
      return true;
    default:
      return false;
  }
}

void Redraw(HWND control) {
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

LRESULT CALLBACK ThemeProcedure(HWND control, UINT message, WPARAM w_param, LPARAM l_param) {
  auto found = theme.held.find(control);
  if (found == theme.held.end()) return DefWindowProcW(control, message, w_param, l_param);
  const WNDPROC own = found->second.own;
  if (found->second.active) {
    Held& held = found->second;
    if (message == WM_MOUSEMOVE && !held.hot) {
      held.hot = true;
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
      TrackMouseEvent(&track);
      Redraw(control);
    } else if (message == WM_MOUSELEAVE && held.hot) {
      held.hot = false;
      Redraw(control);
    }
  }
  const LRESULT result = CallWindowProcW(own, control, message, w_param, l_param);
  // The control's own procedure may have run anything, its end included:
  // the record is looked up again.
  found = theme.held.find(control);
  if (found == theme.held.end()) return result;
  if (message == WM_NCDESTROY) {
    theme.held.erase(found);
  } else if (found->second.active && MayHavePainted(message)) {
    DrawThemeFrame(control, found->second.kind, theme.scheme, found->second.hot);
  }
  return result;
}

void TakeOver(HWND control, ThemeClass kind) {
  if (kind == ThemeClass::kNone) return;
  auto found = theme.held.find(control);
  if (found != theme.held.end()) {
    // Ours is still in its chain from an earlier theme: it takes part again.
    found->second.kind = kind;
    found->second.active = true;
    found->second.hot = false;
  } else {
    Held& held = theme.held[control];
    held.kind = kind;
    held.own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ThemeProcedure)));
  }
  Redraw(control);
}

void GiveBack(HWND control) {
  auto found = theme.held.find(control);
  if (found == theme.held.end() || !found->second.active) return;
  if (GetWindowLongPtrW(control, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ThemeProcedure)) {
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.own));
    theme.held.erase(found);
  } else {
    found->second.active = false;
    found->second.hot = false;
  }
  Redraw(control);
}

BOOL CALLBACK TakeOverChild(HWND control, LPARAM) {
  TakeOver(control, ThemeClassOf(control));
  return TRUE;
}

BOOL CALLBACK TakeOverTopLevel(HWND window, LPARAM) {
  TakeOver(window, ThemeClassOf(window));
  EnumChildWindows(window, TakeOverChild, 0);  // every descendant, not only the children
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM w_param, LPARAM l_param) {
  if (code == HCBT_CREATEWND) {
    HWND control = reinterpret_cast<HWND>(w_param);
    const CREATESTRUCTW& create = *reinterpret_cast<const CBT_CREATEWNDW*>(l_param)->lpcs;
    // A caption given as a resource number is no text.
    const bool has_text = create.lpszName && !IS_INTRESOURCE(create.lpszName) && *create.lpszName;
    TakeOver(control, ThemeClassOf(ClassName(control), static_cast<DWORD>(create.style), has_text,
                                   ClassName(create.hwndParent)));
  }
  return CallNextHookEx(nullptr, code, w_param, l_param);
}

// Whether a hook was removed.
bool SwitchOff() {
  std::vector<HWND> controls;
  for (const auto& [control, held] : theme.held) controls.push_back(control);
  for (HWND control : controls) GiveBack(control);
  theme.scheme = 0;
  if (!theme.hook) return false;
  const bool removed = UnhookWindowsHookEx(theme.hook) != FALSE;
  theme.hook = nullptr;
  --installed_hooks;
  return removed;
}

void SwitchOn(int scheme) {
  theme.scheme = scheme;
  theme.hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  if (theme.hook) ++installed_hooks;
  EnumThreadWindows(GetCurrentThreadId(), TakeOverTopLevel, 0);
}

}  // namespace

ThemeClass ThemeClassOf(std::wstring_view window_class, DWORD style, bool has_text,
                        std::wstring_view parent_class) {
  if (SameName(window_class, L"Button")) {
    if (style & BS_BITMAP) return ThemeClass::kNone;
    const bool push_like = (style & BS_PUSHLIKE) != 0;
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        // A push button without text whose style is bare shows a picture of its own.
        if (!has_text && style == (WS_CHILD | WS_TABSTOP)) return ThemeClass::kNone;
        return ThemeClass::kPushButton;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
        return push_like ? ThemeClass::kPushButton : ThemeClass::kCheckBox;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return push_like ? ThemeClass::kPushButton : ThemeClass::kRadioButton;
      case BS_GROUPBOX:
        return ThemeClass::kGroupBox;
      default:  // user buttons, push boxes, owner-drawn buttons
        return ThemeClass::kNone;
    }
  }
  if (SameName(window_class, L"Edit")) {
    return SameName(parent_class, L"SysIPAddress32") ? ThemeClass::kNone : ThemeClass::kEdit;
  }
  if (SameName(window_class, L"ComboBox")) {
    return (style & 0x3) == CBS_SIMPLE ? ThemeClass::kNone : ThemeClass::kComboBox;
  }
  if (SameName(window_class, L"msctls_updown32")) return ThemeClass::kUpDown;
  if (SameName(window_class, L"ComboLBox")) return ThemeClass::kComboList;
  return ThemeClass::kNone;
}

ThemeClass ThemeClassOf(HWND control) {
  const bool has_text = GetWindowTextLengthW(control) > 0;
  return ThemeClassOf(ClassName(control), static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)),
                      has_text, ClassName(GetParent(control)));
}

namespace cmd {

void ControlTheme(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args) {
  const int32_t style = rt::args::Int(args, arg_count, 0, 0);
  int32_t answer = 0;
  if (style >= 1 && style <= 3) {
    SwitchOff();
    SwitchOn(style);
    answer = 1;
  } else {
    answer = SwitchOff() ? 1 : 0;
  }
  rt::args::SetInt(result, answer);
}

}  // namespace cmd

int ActiveThemeScheme() {
  return theme.scheme;
}
int ThemeHookCount() {
  return installed_hooks.load();
}
int ThemeTakenOverCount() {
  int count = 0;
  for (const auto& [control, held] : theme.held) count += held.active ? 1 : 0;
  return count;
}
bool ThemeHolds(HWND control) {
  auto found = theme.held.find(control);
  return found != theme.held.end() && found->second.active;
}
bool ThemeControlIsHot(HWND control) {
  auto found = theme.held.find(control);
  return found != theme.held.end() && found->second.active && found->second.hot;
}

}  // namespace ui
