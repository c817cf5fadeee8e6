// The uniform call frame through which application code invokes runtime commands.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace rt {

// A runtime command: writes its result into `result`; arguments are borrowed,
// one record per declared parameter in declaration order (omitted optional
// arguments are all-zero records).
using CommandFn = void (*)(ValueRecord* result, int32_t arg_count, ValueRecord* args);

struct CommandResult {
  uint64_t value = 0;
  TypeCode type = type::None;  // set only by commands with a generic result type
};

// Zeroes a result record, calls the command and hands back its value and type code.
CommandResult CallCommand(CommandFn command, ValueRecord* args, int32_t arg_count);
// Same for commands of the other runtime libraries; the library number is not used.
CommandResult CallLibraryCommand(int32_t library, CommandFn command, ValueRecord* args,
                                 int32_t arg_count);

// Fills the records of `count` omitted optional arguments with zeros.
void PushOmittedArgs(ValueRecord* args, int32_t count);

}  // namespace rt
