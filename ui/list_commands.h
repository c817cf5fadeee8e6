// The list view library's commands on a ListView unit (the first argument).
// Each exists as a CommandFn (the call frame form) and as a typed wrapper
// that builds the records and goes through CallLibraryCommand. Any thread may
// call them: they are carried out on the window thread while the caller waits,
// except SetCellText, which another thread posts and does not wait for (its
// later operations still see the write).
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/call_frame.h"
#include "runtime/owned.h"
#include "ui/unit_ref.h"

namespace ui {

namespace cmd {
// list, [index = append], [text = ""], [image = none], [check state], [indent],
// [item data] -> Int new row or -1.
void InsertRow(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
// list, row, [column = 0], [text = ""].
void SetCellText(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
// list, row, [column = 0] -> Text (new block, null when empty).
void GetCellText(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
// list -> Int.
void GetRowCount(rt::ValueRecord* result, int32_t arg_count, rt::ValueRecord* args);
}  // namespace cmd

int32_t InsertRow(const UnitRef& list, std::optional<int32_t> index = {},
                  std::optional<rt::TextRef> text = {}, std::optional<int32_t> image = {},
                  std::optional<int32_t> check_state = {}, std::optional<int32_t> indent = {},
                  std::optional<int32_t> item_data = {});
void SetCellText(const UnitRef& list, int32_t row, std::optional<int32_t> column = {},
                 std::optional<rt::TextRef> text = {});
rt::Text GetCellText(const UnitRef& list, int32_t row, std::optional<int32_t> column = {});
int32_t GetRowCount(const UnitRef& list);

}  // namespace ui
