#include "ui/qt/window_runtime.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "runtime/gbk.h"
#include "ui/qt/gbk_qt.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_thread.h"
#include "ui/window_system.h"

namespace ui {
namespace {

constexpr const char* kChineseFamily = "WenQuanYi Micro Hei";

bool EnvironmentNames(const char* variable) {
  return !qEnvironmentVariableIsEmpty(variable);
}

// Whether the X server that DISPLAY names answers. Qt's X11 platform aborts the
// process when it cannot connect, so the connection is tried here first.
bool XServerReachable() {
  if (!EnvironmentNames("DISPLAY")) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);  // also frees a connection in its error state
  return reachable;
}

void ShowBoxHere(const std::string& gbk_text, const std::string& gbk_caption) {
  // The runtime's text breaks lines with CR LF; Qt wants plain line feeds.
  QString text = GbkToQString(gbk_text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::Critical, GbkToQString(gbk_caption), text, QMessageBox::Ok);
  box.setFont(WindowFont());
  box.exec();
}

}  // namespace

bool DisplayAvailable() {
  // The platform Qt will load: the first one QT_QPA_PLATFORM names (before any
  // ":options" or ";fallback"), else its default, the X11 one.
  QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  platform.truncate(platform.indexOf(';') < 0 ? platform.size() : platform.indexOf(';'));
  platform.truncate(platform.indexOf(':') < 0 ? platform.size() : platform.indexOf(':'));
  platform = platform.trimmed();
  if (platform.isEmpty() || platform == "xcb") return XServerReachable();
  if (platform.startsWith("wayland")) return EnvironmentNames("WAYLAND_DISPLAY");
  return true;  // offscreen, minimal and the like need no display
}

bool StartWindowSystem(int& argc, char** argv, bool unseen) {
  if (unseen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // Without a reachable display no application object is made: Qt would
  // abort the process.
  if (!DisplayAvailable()) return false;
  // It lives as long as the process, which ends without unwinding.
  new QApplication(argc, argv);
  InstallWindowRuntime();
  return true;
}

void InstallWindowRuntime() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  rt::SetFatalErrorPresenter(ShowErrorBox);
  rt::SetPendingEventsPump(PumpPendingEvents);
  rt::AddShutdownStep([] {
    // Widgets may only be touched on their own thread; when another thread
    // reports, the process end takes the windows with it.
    if (QCoreApplication::instance() && OnWindowThread()) CloseAllWindows();
  });
}

void ShowErrorBox(const std::string& gbk_text, const std::string& gbk_caption) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    const std::string utf8 = rt::GbkToUtf8(gbk_text) + "\n";
    ssize_t ignored = ::write(STDERR_FILENO, utf8.data(), utf8.size());
    (void)ignored;
    return;
  }
  RunOnWindowThread([&] { ShowBoxHere(gbk_text, gbk_caption); });
}

void PumpPendingEvents() {
  if (!QCoreApplication::instance()) return;
  if (OnWindowThread() || QAbstractEventDispatcher::instance()) QCoreApplication::processEvents();
}

QFont WindowFont() {
  static const QFont font = [] {
    QFont chosen = QApplication::font();
    if (QFontDatabase::families().contains(QString::fromLatin1(kChineseFamily))) {
      chosen = QFont(QString::fromLatin1(kChineseFamily));
    }
    chosen.setPixelSize(12);
    return chosen;
  }();
  return font;
}

}  // namespace ui
