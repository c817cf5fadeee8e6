#include "runtime/call_frame.h"

namespace rt {

CommandResult CallCommand(CommandFn command, ValueRecord* args, int32_t arg_count) {
  ValueRecord result;
  command(&result, arg_count, args);
  return {result.Value(), result.type};
}

CommandResult CallLibraryCommand(int32_t, CommandFn command, ValueRecord* args, int32_t arg_count) {
  return CallCommand(command, args, arg_count);
}

void PushOmittedArgs(ValueRecord* args, int32_t count) {
  for (int32_t i = 0; i < count; ++i) args[i] = ValueRecord{};
}

}  // namespace rt
