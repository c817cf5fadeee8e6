// What a user does to window units, done by the program itself, and what it
// can see of them afterwards: the screenshot mode fills its own window this
// way. Window thread; each returns once the events it raises have been
// handled.
#pragma once

#include <cstdint>
#include <string>

#include "ui/unit_ref.h"

namespace ui {

// Clicks a Button unit: its click event runs.
void ClickButton(const UnitRef& button);
// Gives a ListView unit the keyboard focus and selects and focuses `row`, as
// a click on it does: the row-focused event runs when the row's focus goes
// from off to on, and finds the row selected.
void FocusRow(const UnitRef& list, int32_t row);
// Whether any object placed in a CartoonBox unit has a picture to show.
bool CartoonBoxShowsPicture(const UnitRef& box);
// Writes what the window shows (its client area) to a PNG file; false when
// the window is gone or the file cannot be written.
bool SaveWindowPicture(int32_t window_id, const std::string& png_path);

}  // namespace ui
