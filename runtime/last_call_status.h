// The per-thread status of the last automation member call: 0 for success,
// a negative number naming what failed.
#pragma once

#include <cstdint>

namespace rt {

// The outcome of the calling thread's last member call.
namespace status {
inline constexpr int32_t Success = 0;
inline constexpr int32_t EmptyObject = -1;
inline constexpr int32_t NoDispatch = -2;
inline constexpr int32_t NoMember = -3;
inline constexpr int32_t NoTypeInfo = -4;
inline constexpr int32_t TooManyArguments = -5;
inline constexpr int32_t UnsupportedArgument = -7;
inline constexpr int32_t ResultNotConvertible = -8;
inline constexpr int32_t BadParamCount = -9;
inline constexpr int32_t BadVarType = -10;
inline constexpr int32_t Exception = -11;
inline constexpr int32_t MemberNotFound = -12;
inline constexpr int32_t NoNamedArgs = -13;
inline constexpr int32_t Overflow = -14;
inline constexpr int32_t ParamNotFound = -15;
inline constexpr int32_t TypeMismatch = -16;
inline constexpr int32_t ParamNotOptional = -17;
inline constexpr int32_t OtherFailure = -18;
}  // namespace status

int32_t LastCallStatus();
void SetLastCallStatus(int32_t status);

}  // namespace rt
