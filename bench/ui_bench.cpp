// CellWrites: a worker thread writes 10,000 list cells while the window thread
// runs its event loop, each write a blocking hand-off to the window thread as
// the refresh worker makes them. Reports the writes per second it sustains
// (no baseline: the hand-off itself is what the refresh pass pays per cell).
#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <string>
#include <thread>

#include "bench/ratio_report.h"
#include "ui/form.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/unit_ref.h"
#include "ui/window_registry.h"

namespace {

constexpr int32_t kWindow = 1;
constexpr ui::UnitRef kList{kWindow, 1, ui::unit_type::ListView};
constexpr int kWrites = 10'000;
constexpr int kRows = 100;

ui::FormDescription BenchForm() {
  ui::FormDescription form;
  form.id = kWindow;
  form.caption = "bench";
  form.width = 420;
  form.height = 240;
  form.units = {{1,
                 "list",
                 ui::unit_type::ListView,
                 ui::kWindowItself,
                 8,
                 8,
                 400,
                 220,
                 "",
                 {{"a", 50}, {"b", 60}, {"c", 50}, {"d", 50}, {"e", 90}, {"f", 90}}}};
  return form;
}

double CellWritesPerSecond() {
  QEventLoop loop;
  std::chrono::steady_clock::duration elapsed{};
  std::thread worker([&] {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kWrites; ++i) {
      ui::SetCellText(kList, i % kRows, 1 + i % 5, std::to_string(i));
    }
    elapsed = std::chrono::steady_clock::now() - start;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
  return kWrites / std::chrono::duration<double>(elapsed).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ui::RegisterForm(BenchForm());
  if (!ui::LoadWindow(kWindow)) return 1;
  for (int row = 0; row < kRows; ++row) ui::InsertRow(kList);
  CellWritesPerSecond();  // warm-up
  bench::ReportRatio("CellWrites", CellWritesPerSecond(), -1);
  ui::UnloadAllWindows();
  return 0;
}
