// The core library's commands, GBK-aware. Each exists twice: as a CommandFn in
// rt::cmd (the call frame form, exact argument records) and as a typed wrapper
// in rt that builds the records, goes through CallCommand and hands back an owner.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "runtime/call_frame.h"
#include "runtime/owned.h"
#include "runtime/pending_events.h"  // ProcessPendingEvents, with the pump it runs
#include "runtime/value.h"

namespace rt {

namespace cmd {
void TextLength(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void TextLeft(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void TextRight(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void TextMiddle(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void FindText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void TrimSpaces(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void RemoveSpaces(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ReplaceText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void SplitText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void CompareText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ToInteger(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ConvertToText(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ByteSetLength(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ByteSetLeft(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void BlankByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void PointerToByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void ByteSetData(ValueRecord* result, int32_t arg_count, ValueRecord* args);
void BitOr(ValueRecord* result, int32_t arg_count, ValueRecord* args);
}  // namespace cmd

// --- text ---
int32_t TextLength(TextRef s);
Text TextLeft(TextRef s, int32_t n);
Text TextRight(TextRef s, int32_t n);
Text TextMiddle(TextRef s, int32_t start, int32_t n);
// 1-based position or -1. Case is ignored only when `ignore_case` is given and true.
int32_t FindText(TextRef s, TextRef sought, std::optional<int32_t> start = {},
                 std::optional<bool> ignore_case = {});
Text TrimSpaces(TextRef s);
Text RemoveSpaces(TextRef s);
// An omitted case flag matches case-insensitively.
Text ReplaceText(TextRef s, TextRef find, std::optional<TextRef> replacement = {},
                 std::optional<int32_t> start = {}, std::optional<int32_t> count = {},
                 std::optional<bool> case_sensitive = {});
TextArray SplitText(TextRef s, std::optional<TextRef> delimiter = {},
                    std::optional<int32_t> maximum = {});
int32_t CompareText(TextRef a, TextRef b, bool case_sensitive);

// --- conversion ---
int32_t ToInteger(const ValueRecord& value);
int32_t ToInteger(TextRef text);
// A text read as ToInteger reads it, into 64 bits: counts past 2^31 keep their
// value instead of wrapping at 32 bits.
int64_t ToInteger64(TextRef text);
Text ConvertToText(const ValueRecord& value);
Text ConvertToText(double value);

// --- byte sets ---
int32_t ByteSetLength(ByteSetRef b);
ByteSet ByteSetLeft(ByteSetRef b, int32_t n);
ByteSet BlankByteSet(int32_t n);
ByteSet PointerToByteSet(const void* address, int32_t length);
// The generic form: the record carries the selected type; a Text or other block
// in it belongs to the caller.
ValueRecord ByteSetData(ByteSetRef b, int32_t type_number, std::optional<int32_t> position = {});
ValueRecord ByteSetData(ByteSetRef b, int32_t type_number, int32_t* position_variable);
// Type 10 read back as text; a result of any other type raises error 5.
Text ByteSetDataAsText(ByteSetRef b, int32_t* position_variable = nullptr);

// --- bits ---
int32_t BitOr(std::initializer_list<int32_t> values);

}  // namespace rt
