// The read-only area holding the program's literal texts and constant blocks.
// Freeing ignores pointers into it; resizing copies out of it.
#pragma once

#include <cstddef>
#include <string_view>

namespace rt {

bool InConstantPool(const void* pointer);

// The pool's constant empty text "", empty byte set (count 0) and empty array
// (one dimension of size 0): what the application passes for a null variable.
const char* EmptyText();
const void* EmptyByteSet();
const void* EmptyArray();

// The GBK form of a UTF-8 literal, interned once in the pool and valid for the
// life of the process. Sources stay UTF-8; every text the system produces is GBK.
// Thread-safe; the same literal always gives the same pointer.
const char* Literal(std::string_view utf8);

// Start and size of the pool as registered at start-up.
const void* ConstantPoolStart();
size_t ConstantPoolSize();

}  // namespace rt
