#include "app/main_handlers.h"

#include "app/main_form.h"
#include "ui/control_theme.h"
#include "ui/list_commands.h"
#include "ui/standard_units.h"
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
  // The refresh worker (one pass over the watch list on its own thread) and,
  // after it is started, the order-book and chart fetch for the focused row
  // attach here. Until they land a row change does nothing further.
}

}  // namespace app
