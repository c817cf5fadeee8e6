// The viewer's entry: the runtime's start order, then the message loop until
// the window is closed, then the process ends at once.
#include <string>

#include "app/main_form.h"
#include "app/main_handlers.h"
#include "app/program_end.h"
#include "app/screenshot_mode.h"
#include "app/service_addresses.h"
#include "runtime/app_routines.h"
#include "ui/form_loader.h"
#include "ui/window_system.h"

namespace {

bool screenshot_mode = false;

// A session its user closes ends with 0; screenshot mode ends with its outcome.
int ExitCode() {
  return screenshot_mode ? app::ScreenshotExitCode() : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Read before the runtime moves to the program's folder, which would change
  // what a relative screenshot path means.
  app::ReadServiceAddresses();
  const std::string screenshot = app::ScreenshotPathFromEnvironment();
  rt::RuntimeService(rt::RuntimeServiceNumber::InitializeRuntime);

  // The window system and the window templates. A screenshot needs no
  // display. Without a reachable window system loading the window fails,
  // and the runtime reports that on standard error.
  ui::StartWindowSystem(argc, argv, !screenshot.empty());
  app::RegisterMainForm();

  app::StartRoutine();  // its result is not used
  ui::LoadStartWindow(app::kMainWindow);
  screenshot_mode = !screenshot.empty();
  if (screenshot_mode) app::StartScreenshotMode(screenshot);
  app::RunUntilWindowClosed(ExitCode);
}
