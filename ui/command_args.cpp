#include "ui/command_args.h"

#include <cmath>

#include "runtime/blocks.h"
#include "runtime/fatal_error.h"

namespace ui {
namespace {

// Toward zero, as the runtime converts; values beyond Int keep the low 32 bits
// of their 64-bit truncation, and a NaN gives 0.
int32_t TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  const double limit = 9.2e18;
  const double clamped = value < -limit ? -limit : (value > limit ? limit : value);
  return static_cast<int32_t>(static_cast<int64_t>(std::trunc(clamped)));
}

}  // namespace

const rt::ValueRecord& ArgAt(const rt::ValueRecord* args, int32_t count, int32_t index) {
  static const rt::ValueRecord kOmitted;
  return index < count && args ? args[index] : kOmitted;
}

std::optional<int32_t> OptionalInt(const rt::ValueRecord& arg) {
  if (arg.Omitted()) return std::nullopt;
  // A text or byte set holds a pointer, a truth value a flag: neither is a number.
  if (rt::IsByRef(arg.type) || !rt::IsNumericType(arg.type))
    rt::ReportFatalErrorUtf8(rt::message::NotNumeric, 0);
  switch (rt::BaseType(arg.type)) {
    case rt::type::Byte:
      return static_cast<int32_t>(arg.low & 0xFF);
    case rt::type::Short:
      return static_cast<int16_t>(arg.low & 0xFFFF);
    case rt::type::Float:
      return TruncateToInt(arg.AsFloat());
    case rt::type::Double:
      return TruncateToInt(arg.AsDouble());
    default:  // Int, and Int64 by its low word
      return static_cast<int32_t>(arg.low);
  }
}

bool FlagOr(const rt::ValueRecord& arg, bool fallback) {
  if (arg.Omitted()) return fallback;
  if (rt::IsNumericType(arg.type) && !rt::IsByRef(arg.type)) return *OptionalInt(arg) != 0;
  return arg.low != 0;
}

std::string_view TextArg(const rt::ValueRecord& arg) {
  if (rt::BaseType(arg.type) != rt::type::Text) return {};
  return rt::TextView(arg.AsPointer<const char>());
}

}  // namespace ui
