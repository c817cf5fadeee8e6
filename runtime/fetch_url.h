// The runtime's internet file fetch: whatever an http or https address
// returns, as a byte set. It never raises a runtime error: every failure gives
// the empty byte set, and a transfer cut short gives what arrived before.
#pragma once

#include <cstdint>

#include "runtime/owned.h"
#include "runtime/value.h"

namespace rt {

namespace cmd {
// One argument, the address text; the result is a ByteSet (null when nothing
// was received). Further arguments are not read.
void FetchUrl(ValueRecord* result, int32_t arg_count, ValueRecord* args);
}  // namespace cmd

// The typed form, through the command frame.
ByteSet FetchUrl(TextRef address);

// The size of each read for a Content-Length answer (null when the query
// failed): 10240 when unknown or not positive, else n + 1, at most 102400.
int32_t FetchChunkSize(const char* content_length);

// Closes the program's shared internet session; at program end. A later
// fetch would open a new one.
void CloseInternetSession();

}  // namespace rt
