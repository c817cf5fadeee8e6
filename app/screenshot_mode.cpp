#include "app/screenshot_mode.h"

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
#include "ui/form_loader.h"
#include "ui/list_commands.h"
#include "ui/message_loop.h"
#include "ui/unit_actions.h"
#include "ui/unit_properties.h"

namespace app {
namespace {

// The window thread normally decides when the picture is taken. The watchdog
// only acts when that thread is stuck in a request that outlasts the wait; the
// first of the two to claim the outcome wins.
enum Outcome : int { kPending, kFinishing, kGaveUp };
std::atomic<int> outcome{kPending};
int exit_code = 1;

// How often the window thread looks whether the pass is over.
constexpr int kPollMs = 20;

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
  for (const char* code : kScreenshotCodes) {
    ui::WriteUnitText(kCodeBox, ui::property::Text, code);
    ui::ClickButton(kImportButton);
  }
  ui::FocusRow(kWatchList, kScreenshotRow);
}

// Any quote in a row or the order book, or a chart, means the service answered.
bool ServiceAnswered() {
  if (BookCaptions() != captions_before) return true;
  if (ui::CartoonBoxShowsPicture(kChartBox)) return true;
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
  ui::CarryOutHandedOverCalls();
  if (!ServiceAnswered()) {
    std::fprintf(stderr, "quoteview: no answer from the quote service at %s; no screenshot\n",
                 QuoteServicePrefix());
  } else if (!ui::SaveWindowPicture(kMainWindow, path)) {
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
  // The first step fills the window from inside the loop; the later ones
  // wait for the pass, at most `wait_ms` from the fill.
  bool filled = false;
  std::chrono::steady_clock::time_point filled_at;
  ui::RepeatFromLoop(kPollMs, [=]() mutable {
    if (!filled) {
      filled = true;
      filled_at = std::chrono::steady_clock::now();
      FillWindow();
      return true;
    }
    const auto waited = std::chrono::steady_clock::now() - filled_at;
    if (RefreshPassesRunning() > 0 && waited < std::chrono::milliseconds(wait_ms)) return true;
    Finish(path);
    return false;
  });
}

int ScreenshotExitCode() {
  return exit_code;
}

}  // namespace app
