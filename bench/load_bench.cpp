// The load run: 1,000 row changes in a row over a 200-row watch list against
// quote-service run as a child process (some 200,000 requests, one more
// refresh worker per change while the earlier ones still walk the list).
// Prints "load NAME VALUE" lines and exits with 1 when a check fails: a
// worker that never ends (a deadlock), a thread left over, a row without the
// service's answer, or memory that does not come back down.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/main_form.h"
#include "app/service_addresses.h"
#include "tests/support/row_change_burst.h"
#include "tests/support/service_process.h"
#include "ui/form_loader.h"
#include "ui/qt/window_registry.h"
#include "ui/qt/window_runtime.h"

namespace {

constexpr int kRows = 200;
constexpr int kRowChanges = 1000;
constexpr int kLimitMs = 15 * 60 * 1000;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);  // the benchmark flags make_bench passes are ignored
  struct Unload {
    ~Unload() { ui::UnloadAllWindows(); }  // the windows go before the application object
  } unload;
  ui::InstallWindowRuntime();
  app_test::ServiceProcess service;
  if (service.port() <= 0) {
    std::fprintf(stderr, "load_bench: quote-service did not start\n");
    return 1;
  }
  setenv("QUOTEVIEW_QUOTE_PREFIX", (service.Base() + "/q=").c_str(), 1);
  setenv("QUOTEVIEW_CHART_PREFIX", (service.Base() + "/quotepic/10082333/").c_str(), 1);
  app::ReadServiceAddresses();
  app::RegisterMainForm();
  ui::LoadStartWindow(app::kMainWindow);

  const app_test::BurstResult burst =
      app_test::RunRowChangeBurst(service, kRows, kRowChanges, kLimitMs);
  std::printf("load rows %d\n", burst.rows);
  std::printf("load row_changes %d\n", burst.row_changes);
  std::printf("load requests %d\n", burst.row_changes * (burst.rows + 2));
  std::printf("load changes_seconds %.1f\n", burst.changes_seconds);
  std::printf("load seconds %.1f\n", burst.seconds);
  std::printf("load workers_left %d\n", burst.workers_left);
  std::printf("load threads_before %d\n", burst.threads_before);
  std::printf("load threads_peak %d\n", burst.threads_peak);
  std::printf("load threads_after %d\n", burst.threads_after);
  std::printf("load threads_left_over %d\n", burst.threads_left_over);
  std::printf("load resident_before_mb %.1f\n", burst.held_before_mb);
  std::printf("load resident_peak_mb %.1f\n", burst.held_peak_mb);
  std::printf("load resident_after_mb %.1f\n", burst.held_after_mb);
  std::printf("load wrong_rows %d\n", burst.wrong_rows);
  for (const std::string& failure : burst.Failures()) {
    std::fprintf(stderr, "load_bench: %s\n", failure.c_str());
  }
  std::fflush(stdout);
  return burst.Failures().empty() ? 0 : 1;
}
