// Small routines compiled into application code: raw text comparison,
// concatenation, array counting and bounds-checked member access, appending,
// multiple choice, double truncation, and the runtime services.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/blocks.h"
#include "runtime/owned.h"

namespace rt {

// -1, 0 or 1; null counts as the empty text; bytes compare unsigned.
int32_t CompareTextRaw(const char* a, const char* b);
int32_t TextByteLength(const char* text);
// Always a block (just the NUL when every part is empty).
Text ConcatTexts(std::initializer_list<TextRef> parts);
// Null parts are skipped; a zero total gives null.
ByteSet ConcatByteSets(std::initializer_list<ByteSetRef> parts);
// Toward zero: 2.9 gives 2, -2.9 gives -2.
int64_t TruncateToInt64(double value);

// Address of member `index` (1-based) of an array block; error 4 below 1 and
// error 1 above the count.
unsigned char* ArrayMember(void* block, int32_t index, int32_t member_size);
// Appends a copy of `text` to the text array held in `*array_variable`.
void AppendTextMember(void** array_variable, const char* text);
// Index 1..count, else error 9.
int32_t MultipleChoice(int32_t index, int32_t count);

// The runtime services compiled code asks for by number.
enum class RuntimeServiceNumber : int32_t {
  // Gives an array variable whose block lies in the constant pool a private
  // heap copy.
  MakeArrayPrivate = 2,
  // Initialises the runtime (heap, constant pool).
  InitializeRuntime = 6,
};
// Any other number does nothing.
void RuntimeService(RuntimeServiceNumber service, int32_t member_size = 0,
                    void** array_variable = nullptr);
void InitializeRuntime();
void MakeArrayPrivate(int32_t member_size, void** array_variable);

}  // namespace rt
