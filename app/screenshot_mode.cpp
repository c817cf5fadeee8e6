#include "app/screenshot_mode.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/main_form.h"
#include "app/quote_record.h"
#include "app/refresh_worker.h"
#include "app/service_addresses.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_widget.h"
#include "ui/qt/standard_units.h"
#include "ui/qt/window_registry.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

// The window thread normally decides when the picture is taken. The watchdog
// only acts when that thread is stuck in a request that outlasts the wait; the
// first of the two to claim the outcome wins.
enum Outcome : int { kPending, kFinishing, kGaveUp };
std::atomic<int> outcome{kPending};
int exit_code = 1;

QWidget* UnitWidget(int32_t unit) {
  return ui::FindLoadedWindow(kMainWindow)->FindUnit(unit)->widget();
}

int WaitMs() {
  const char* value = std::getenv("QUOTEVIEW_SCREENSHOT_WAIT_MS");
  const int ms = value ? std::atoi(value) : 0;
  return ms > 0 ? ms : kScreenshotWaitMs;
}

void StartWatchdog(int wait_ms) {
  // Long enough for a request that is already under way to come back.
  const auto limit = std::chrono::milliseconds(wait_ms + 5000);
  std::thread([limit] {
    std::this_thread::sleep_for(limit);
    int pending = kPending;
    if (!outcome.compare_exchange_strong(pending, kGaveUp)) return;
    std::fprintf(stderr, "quoteview: no answer from the quote service at %s; no screenshot\n",
                 QuoteServicePrefix());
    std::fflush(stderr);
    std::_Exit(1);
  }).detach();
}

// The order book's captions before the row change, to tell whether a quote came.
std::vector<std::string> BookCaptions() {
  std::vector<std::string> captions;
  for (const FieldPlace& place : FullFormPlaces()) {
    captions.push_back(ui::ReadUnitText(LabelRef(place.place), ui::property::Text).str());
  }
  return captions;
}
std::vector<std::string> captions_before;

// Imports the codes through the edit box and the button, then selects a row:
// the row-change handler runs at once and returns with the chart shown.
void FillWindow() {
  captions_before = BookCaptions();
  auto* import = static_cast<QAbstractButton*>(UnitWidget(unit::ImportButton));
  for (const char* code : kScreenshotCodes) {
    ui::WriteUnitText(kCodeBox, ui::property::Text, code);
    import->click();
  }
  // Selected first and then made current, as a click does, so the handler
  // finds the row selected.
  auto* list = static_cast<ui::ListViewWidget*>(UnitWidget(unit::WatchList));
  list->setFocus();
  const QModelIndex row = list->model()->index(kScreenshotRow, 0);
  list->selectionModel()->select(row,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
}

// Any quote in a row or the order book, or a chart, means the service answered.
bool ServiceAnswered() {
  if (BookCaptions() != captions_before) return true;
  const auto& box = static_cast<ui::CartoonBoxUnit&>(ui::LookUpUnit(kMainWindow, unit::ChartBox));
  for (const ui::BoxObject& object : box.model().objects()) {
    if (object.picture) return true;
  }
  const int32_t rows = ui::GetRowCount(kWatchList);
  for (int32_t row = 0; row < rows; ++row) {
    if (!ui::GetCellText(kWatchList, row, 1).empty()) return true;
  }
  return false;
}

void Finish(const std::string& path) {
  int pending = kPending;
  if (!outcome.compare_exchange_strong(pending, kFinishing)) return;
  // A pass counts itself out on the window thread behind its last writes.
  // When the wait ran out first, what has reached the window thread by now
  // still goes into the list before the picture is taken.
  QCoreApplication::sendPostedEvents();
  if (!ServiceAnswered()) {
    std::fprintf(stderr, "quoteview: no answer from the quote service at %s; no screenshot\n",
                 QuoteServicePrefix());
  } else if (!ui::FindLoadedWindow(kMainWindow)
                  ->widget->grab()
                  .save(QString::fromStdString(path), "PNG")) {
    std::fprintf(stderr, "quoteview: cannot write the screenshot to %s\n", path.c_str());
  } else {
    exit_code = 0;
  }
  ui::CloseAllWindows();
}

}  // namespace

std::string ScreenshotPathFromEnvironment() {
  const char* path = std::getenv("QUOTEVIEW_SCREENSHOT");
  if (!path || !*path) return {};
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string(path) : absolute.string();
}

void StartScreenshotMode(const std::string& path) {
  const int wait_ms = WaitMs();
  StartWatchdog(wait_ms);
  QTimer::singleShot(0, [path, wait_ms] {
    QElapsedTimer waited;
    waited.start();
    FillWindow();
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll, path, wait_ms, waited] {
      if (RefreshPassesRunning() > 0 && waited.elapsed() < wait_ms) return;
      poll->stop();
      poll->deleteLater();
      Finish(path);
    });
    poll->start(20);
  });
}

int ScreenshotExitCode() {
  return exit_code;
}

}  // namespace app
