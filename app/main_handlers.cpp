#include "app/main_handlers.h"

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "app/stock_details.h"
#include "ui/control_theme.h"
#include "ui/list_commands.h"
#include "ui/unit_properties.h"

namespace app {

int32_t StartRoutine() {
  return 0;
}

void OnMainWindowCreated() {
  ui::ControlTheme(3);
}

void OnImportClicked() {
  // The code goes in as typed: not trimmed, split, checked or compared with
  // the rows already there, and the edit box keeps it.
  const int32_t row = ui::InsertRow(kWatchList);
  const rt::Text code = ui::ReadUnitText(kCodeBox, ui::property::Text);
  ui::SetCellText(kWatchList, row, 0, code);
}

void OnCurrentRowChanged() {
  // The refresh pass starts first and runs beside the rest; the details of
  // the focused row are fetched here, on the window thread. HttpRequest lets
  // pending events through, so another row change can run this handler again
  // nested inside: it finishes first, and this run then shows its own stock.
  StartRefreshWorker();
  const int32_t row = ui::ReadUnitInt(kWatchList, ui::property::FirstSelectedRow);
  const rt::Text code = ui::GetCellText(kWatchList, row, 0);
  ShowOrderBook(code);
  ShowChart(code);
}

}  // namespace app
