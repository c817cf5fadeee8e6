// The list view library's commands on a ListView unit (the first argument).
// Each exists as a CommandFn (the call frame form), which the backend
// defines, and as a typed wrapper that builds the records and goes through
// CallLibraryCommand. Any thread may call them: they are carried out on the
// window thread while the caller waits. A backend may let SetCellText, whose
// result nobody reads, go without waiting; the caller's later operations
// still see the write.
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

namespace detail {
inline rt::ValueRecord OptionalIntRecord(std::optional<int32_t> value) {
  return value ? rt::ValueRecord::Int(*value) : rt::ValueRecord{};
}
inline rt::ValueRecord OptionalTextRecord(std::optional<rt::TextRef> text) {
  return text ? rt::ValueRecord::Text(text->get()) : rt::ValueRecord{};
}
}  // namespace detail

inline int32_t InsertRow(const UnitRef& list, std::optional<int32_t> index = {},
                         std::optional<rt::TextRef> text = {}, std::optional<int32_t> image = {},
                         std::optional<int32_t> check_state = {},
                         std::optional<int32_t> indent = {},
                         std::optional<int32_t> item_data = {}) {
  rt::ValueRecord args[] = {list.Record(),
                            detail::OptionalIntRecord(index),
                            detail::OptionalTextRecord(text),
                            detail::OptionalIntRecord(image),
                            detail::OptionalIntRecord(check_state),
                            detail::OptionalIntRecord(indent),
                            detail::OptionalIntRecord(item_data)};
  return static_cast<int32_t>(
      rt::CallLibraryCommand(kListViewLibrary, cmd::InsertRow, args, 7).value);
}

inline void SetCellText(const UnitRef& list, int32_t row, std::optional<int32_t> column = {},
                        std::optional<rt::TextRef> text = {}) {
  rt::ValueRecord args[] = {list.Record(), rt::ValueRecord::Int(row),
                            detail::OptionalIntRecord(column), detail::OptionalTextRecord(text)};
  rt::CallLibraryCommand(kListViewLibrary, cmd::SetCellText, args, 4);
}

inline rt::Text GetCellText(const UnitRef& list, int32_t row, std::optional<int32_t> column = {}) {
  rt::ValueRecord args[] = {list.Record(), rt::ValueRecord::Int(row),
                            detail::OptionalIntRecord(column)};
  const uint64_t block = rt::CallLibraryCommand(kListViewLibrary, cmd::GetCellText, args, 3).value;
  return rt::Text(reinterpret_cast<char*>(static_cast<uintptr_t>(block)));
}

inline int32_t GetRowCount(const UnitRef& list) {
  rt::ValueRecord args[] = {list.Record()};
  return static_cast<int32_t>(
      rt::CallLibraryCommand(kListViewLibrary, cmd::GetRowCount, args, 1).value);
}

}  // namespace ui
