// CellWrites: a worker thread writes 10,000 list cells while the window thread
// runs its event loop, as the refresh worker writes them, until the window
// thread has applied the last one; against the same writes each handed over
// as one queued Qt call of its own.
#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/ratio_report.h"
#include "ui/form.h"
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/qt/list_view_unit.h"
#include "ui/qt/window_registry.h"
#include "ui/unit_ref.h"

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

// Seconds from the first write until the window thread has taken the quit
// the worker posts after its last one: a thread's calls arrive in order.
double SecondsForWrites(const std::function<void(int)>& write) {
  QEventLoop loop;
  const auto start = std::chrono::steady_clock::now();
  std::thread worker([&] {
    for (int i = 0; i < kWrites; ++i) write(i);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  worker.join();
  return std::chrono::duration<double>(elapsed).count();
}

double OursSeconds() {
  return SecondsForWrites(
      [](int i) { ui::SetCellText(kList, i % kRows, 1 + i % 5, std::to_string(i)); });
}

double QtQueuedSeconds(ui::ListViewUnit* list) {
  return SecondsForWrites([list](int i) {
    QMetaObject::invokeMethod(
        qApp,
        [list, i, text = std::to_string(i)] { list->SetCellText(i % kRows, 1 + i % 5, text); },
        Qt::QueuedConnection);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ui::RegisterForm(BenchForm());
  if (!ui::LoadWindow(kWindow)) return 1;
  for (int row = 0; row < kRows; ++row) ui::InsertRow(kList);
  auto* list = static_cast<ui::ListViewUnit*>(ui::FindLoadedWindow(kWindow)->FindUnit(kList.unit));
  OursSeconds();  // warm-up
  QtQueuedSeconds(list);
  std::vector<double> ratios;
  for (int round = 0; round < 9; ++round) ratios.push_back(OursSeconds() / QtQueuedSeconds(list));
  std::nth_element(ratios.begin(), ratios.begin() + 4, ratios.end());
  bench::ReportRatio("CellWrites", ratios[4], -1);
  ui::UnloadAllWindows();
  return 0;
}
