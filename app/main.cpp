// The viewer's entry: the runtime's start order, then the message loop until
// the window is closed, then the process ends at once.
#include <QApplication>
#include <memory>

#include "app/main_form.h"
#include "app/main_handlers.h"
#include "app/program_end.h"
#include "runtime/app_routines.h"
#include "ui/form_loader.h"
#include "ui/message_loop.h"
#include "ui/window_runtime.h"

int main(int argc, char** argv) {
  rt::RuntimeService(6);

  // The window system and the window templates. Without a reachable display
  // no application object is made (Qt would abort); loading the window then
  // fails and the runtime reports it on standard error.
  std::unique_ptr<QApplication> application;
  if (ui::DisplayAvailable()) {
    application = std::make_unique<QApplication>(argc, argv);
    ui::InstallWindowRuntime();
  }
  app::RegisterMainForm();

  app::StartRoutine();  // its result is not used
  ui::LoadStartWindow(app::kMainWindow);
  ui::RunMessageLoop();
  app::EndProcess();
}
