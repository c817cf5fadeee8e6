// The viewer's start routine and the handlers its main window's events run.
#pragma once

#include <cstdint>

namespace app {

// The application's own start-up: nothing beyond what the runtime does.
int32_t StartRoutine();

// Main window, creation completed: switches the control theme on (scheme 3).
void OnMainWindowCreated();
// 导入 clicked: appends one row holding the edit box's text.
void OnImportClicked();
// 超级列表框1, a row's focus went from off to on.
void OnCurrentRowChanged();

}  // namespace app
