// ToInteger and ConvertToText: conversions between texts and the basic types.
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "runtime/blocks.h"
#include "runtime/command_args.h"
#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "runtime/datetime_range.h"
#include "runtime/text_walk.h"

namespace rt::cmd {
namespace {

// The next character of `text` from `i` as a single byte, with full-width
// digits, letters and signs made half-width; 0 for any other two-byte character.
unsigned char NextHalfWidth(std::string_view text, size_t& i) {
  auto byte = static_cast<unsigned char>(text[i++]);
  if (!walk::IsLead(byte)) return byte;
  if (i >= text.size()) return 0;
  auto trail = static_cast<unsigned char>(text[i++]);
  if (byte == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail & 0x7F;
  if (byte == 0xA1) {
    if (trail == 0xA1) return ' ';
    if (trail == 0xAB) return '~';
    if (trail == 0xEE || trail == 0xEF) return '*';
  }
  return 0;
}

bool IsWhiteSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Decimal integer after leading white space and an optional sign, wrapping
// modulo the width of `Unsigned` (2^32 for the command itself).
template <typename Unsigned>
auto ParseInteger(std::string_view text) -> std::make_signed_t<Unsigned> {
  size_t i = 0;
  unsigned char c = 0;
  do {
    if (i >= text.size()) return 0;
    c = NextHalfWidth(text, i);
  } while (IsWhiteSpace(c));
  bool negative = c == '-';
  if (c == '-' || c == '+') c = i < text.size() ? NextHalfWidth(text, i) : 0;
  Unsigned value = 0;
  while (c >= '0' && c <= '9') {
    value = static_cast<Unsigned>(value * 10 + (c - '0'));
    c = i < text.size() ? NextHalfWidth(text, i) : 0;
  }
  return static_cast<std::make_signed_t<Unsigned>>(negative ? Unsigned{0} - value : value);
}

std::string FormatGeneral(double value, int precision) {
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

// Rounds to 6 significant decimal digits, halves away from zero.
double RoundToSixDigits(double value) {
  if (value == 0 || !std::isfinite(value)) return value;
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  double scale = std::pow(10.0, 5 - exponent);
  if (!std::isfinite(scale) || !std::isfinite(value * scale)) return value;
  return std::round(value * scale) / scale;
}

std::string FormatDateTime(double value) {
  value = ClampDateTime(value);
  // Whole days count from 1899-12-30; the fraction is the time of day, read
  // without its sign so that -1.25 is 1899-12-29 06:00.
  double whole = std::trunc(value);
  auto days = static_cast<int64_t>(whole);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(value - whole) * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  using namespace std::chrono;
  year_month_day date{sys_days{1899y / December / 30} + std::chrono::days{days}};
  std::string text = std::to_string(static_cast<int>(date.year())) + Literal("年") +
                     std::to_string(static_cast<unsigned>(date.month())) + Literal("月") +
                     std::to_string(static_cast<unsigned>(date.day())) + Literal("日");
  int64_t hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;
  if (second != 0) {
    text += std::to_string(hour) + Literal("时") + std::to_string(minute) + Literal("分") +
            std::to_string(second) + Literal("秒");
  } else if (minute != 0) {
    text += std::to_string(hour) + Literal("时") + std::to_string(minute) + Literal("分");
  } else if (hour != 0) {
    text += std::to_string(hour) + Literal("时");
  }
  return text;
}

// Bytes up to the first zero byte, or all of them.
std::string_view UpToZero(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

// The kinds whose text is a run of their own bytes (texts, byte sets, arrays
// of numbers), as a view: a large body becomes a text with one copy, not two.
std::optional<std::string_view> OwnBytes(const ValueRecord& value) {
  TypeCode base = BaseType(value.type);
  if (IsByRef(value.type)) {
    if (!IsNumericType(base)) return std::string_view();
    auto* block = value.AsPointer<void>();
    ArrayInfo info = ArrayCountOrZero(block);
    size_t size = static_cast<size_t>(info.count) * static_cast<size_t>(MemberSize(base));
    return UpToZero({reinterpret_cast<const char*>(info.members), size});
  }
  if (base == type::Text) return TextView(value.AsPointer<const char>());
  if (base == type::ByteSet) return UpToZero(args::ByteSetView(value.AsPointer<void>()));
  return std::nullopt;
}

// The text form of a value of the other kinds.
std::string TextOf(const ValueRecord& value) {
  switch (BaseType(value.type)) {
    case type::Byte:
      return std::to_string(value.low & 0xFFu);
    case type::Short:
      return std::to_string(static_cast<int16_t>(value.low & 0xFFFFu));
    case type::Int:
      return std::to_string(static_cast<int32_t>(value.low));
    case type::Int64:
      return std::to_string(value.AsInt64());
    case type::Float:
      return FormatGeneral(RoundToSixDigits(value.AsFloat()), 6);
    case type::Double:
      return FormatGeneral(value.AsDouble(), 13);
    case type::Bool:
      return Literal(value.low != 0 ? "真" : "假");
    case type::DateTime:
      return FormatDateTime(value.AsDouble());
    default:
      return {};
  }
}

}  // namespace

void ToInteger(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  if (!args::Given(args, arg_count, 0) || IsByRef(args[0].type)) return;
  const ValueRecord& value = args[0];
  int32_t number = 0;
  switch (BaseType(value.type)) {
    case type::Text:
      number = ParseInteger<uint32_t>(TextView(value.AsPointer<const char>()));
      break;
    case type::Bool:
    case type::SubroutinePointer:
      number = static_cast<int32_t>(value.low);
      break;
    default:
      if (IsNumericType(value.type)) number = args::NumberToInt32(value);
      break;
  }
  args::SetInt(result, number);
}

void ConvertToText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  if (!args::Given(args, arg_count, 0)) return;
  if (std::optional<std::string_view> bytes = OwnBytes(args[0])) {
    args::SetPointer(result, NewText(*bytes));
  } else {
    args::SetPointer(result, NewText(TextOf(args[0])));
  }
}

}  // namespace rt::cmd

namespace rt {

int64_t ToInteger64(TextRef text) {
  return cmd::ParseInteger<uint64_t>(text.view());
}

}  // namespace rt
