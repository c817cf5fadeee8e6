#include "app/refresh_worker.h"

#include <atomic>

#include "app/main_form.h"
#include "app/quote_record.h"
#include "http/http_request.h"
#include "runtime/platform_functions.h"
#include "ui/list_commands.h"
#include "ui/message_loop.h"

namespace app {
namespace {

std::atomic<int32_t> passes_running{0};

}  // namespace

DWORD RefreshWorker(LPVOID) {
  const int32_t rows = ui::GetRowCount(kWatchList);
  for (int32_t row = 0; row < rows; ++row) {
    const rt::Text code = ui::GetCellText(kWatchList, row, 0);
    const rt::Text answer = http::HttpRequest(ShortQuoteAddress(code));
    ApplyFields(SplitFields(answer), ShortFormPlaces(), [row](int32_t column, rt::TextRef value) {
      ui::SetCellText(kWatchList, row, column, value);
    });
  }
  // Counted out behind the pass's last writes, on the window thread: a waiter
  // there that sees the count drop sees every cell the pass wrote.
  ui::PostToWindowThread([] { passes_running.fetch_sub(1, std::memory_order_release); });
  return 0;
}

void StartRefreshWorker() {
  // Counted before the thread exists, so a waiter never sees zero between the
  // start and the thread's first step; a thread the platform refuses never runs.
  passes_running.fetch_add(1, std::memory_order_relaxed);
  if (!rt::CallPlatformFunction<rt::kCreateThread>(nullptr, 0, RefreshWorker, nullptr, 0,
                                                   nullptr)) {
    passes_running.fetch_sub(1, std::memory_order_relaxed);
  }
}

int32_t RefreshPassesRunning() {
  return passes_running.load(std::memory_order_acquire);
}

}  // namespace app
