#include "ui/win32/window_runtime.h"

#include <commctrl.h>

#include "runtime/fatal_error.h"
#include "runtime/pending_events.h"
#include "ui/win32/gbk_wide.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/window_registry.h"
#include "ui/win32/window_thread.h"
#include "ui/window_system.h"

namespace ui {

bool StartWindowSystem(int&, char**, bool) {
  // The windows are always drawn on the system's desktop, seen or not.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  BecomeWindowThread();
  static bool installed = false;
  if (!installed) {
    installed = true;
    rt::SetFatalErrorPresenter(ShowErrorBox);
    rt::SetPendingEventsPump(PumpPendingEvents);
    rt::AddShutdownStep([] {
      // Windows belong to their own thread; when another thread reports, the
      // process end takes them with it.
      if (OnWindowThread()) DestroyAllWindows();
    });
  }
  return true;
}

void ShowErrorBox(const std::string& gbk_text, const std::string& gbk_caption) {
  constexpr UINT kStyle = MB_OK | MB_ICONERROR;
  if (GetACP() == 936) {
    MessageBoxA(nullptr, gbk_text.c_str(), gbk_caption.c_str(), kStyle);
  } else {
    MessageBoxW(nullptr, GbkToWide(gbk_text).c_str(), GbkToWide(gbk_caption).c_str(), kStyle);
  }
}

HFONT WindowFont() {
  static const HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW face{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      face = metrics.lfMessageFont;
    } else {
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    }
    face.lfHeight = -12;  // character height in pixels
    face.lfWidth = 0;
    return CreateFontIndirectW(&face);
  }();
  return font;
}

}  // namespace ui
