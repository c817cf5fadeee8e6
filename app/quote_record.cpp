#include "app/quote_record.h"

#include <algorithm>
#include <string_view>

#include "app/service_addresses.h"
#include "runtime/app_routines.h"
#include "runtime/core_commands.h"
#include "runtime/text_between.h"

namespace app {
namespace {

// Records with no more fields than this are failures or error texts.
constexpr int32_t kMinimumFieldCount = 8;

// The leading digits that send a code to Beijing or Shenzhen, tried in
// order: the first match wins, so "11" (Shanghai bonds) is caught before the
// "1" of the Shenzhen funds. Any other code, the empty one and letters
// included, is asked of Shanghai.
struct ExchangeRule {
  std::string_view head;
  const char* exchange;
};
constexpr ExchangeRule kExchangeRules[] = {
    {"92", "bj"}, {"4", "bj"}, {"8", "bj"}, {"11", "sh"},
    {"0", "sz"},  {"1", "sz"}, {"2", "sz"}, {"3", "sz"},
};

constexpr FieldPlace kFullFormPlaces[] = {
    // Buy levels 1 to 5: first value in the middle column, second on the right.
    {10, 20, FieldConversion::kNone},
    {11, 32, FieldConversion::kNone},
    {12, 21, FieldConversion::kNone},
    {13, 33, FieldConversion::kNone},
    {14, 22, FieldConversion::kNone},
    {15, 34, FieldConversion::kNone},
    {16, 23, FieldConversion::kNone},
    {17, 35, FieldConversion::kNone},
    {18, 24, FieldConversion::kNone},
    {19, 36, FieldConversion::kNone},
    // Sell levels 1 to 5, first values, then second values.
    {20, 19, FieldConversion::kNone},
    {22, 18, FieldConversion::kNone},
    {24, 17, FieldConversion::kNone},
    {26, 16, FieldConversion::kNone},
    {28, 15, FieldConversion::kNone},
    {21, 31, FieldConversion::kNone},
    {23, 30, FieldConversion::kNone},
    {25, 29, FieldConversion::kNone},
    {27, 28, FieldConversion::kNone},
    {29, 27, FieldConversion::kNone},
};

constexpr FieldPlace kShortFormPlaces[] = {
    {2, 1, FieldConversion::kNone},          // name
    {4, 2, FieldConversion::kNone},          // current price
    {6, 3, FieldConversion::kNone},          // change
    {7, 4, FieldConversion::kVolume},        // volume (ten thousands)
    {10, 5, FieldConversion::kMarketValue},  // market value (hundred millions)
};

constexpr int32_t LastFieldOf(std::span<const FieldPlace> places) {
  int32_t last = 0;
  for (const FieldPlace& place : places) last = std::max(last, place.field);
  return last;
}
constexpr int32_t kLastFieldRead =
    std::max(LastFieldOf(kFullFormPlaces), LastFieldOf(kShortFormPlaces));
static_assert(kLastFieldRead == 29 && kLastFieldRead >= kMinimumFieldCount);

rt::Text Convert(const char* field, FieldConversion conversion) {
  switch (conversion) {
    case FieldConversion::kVolume:
      return VolumeText(field);
    case FieldConversion::kMarketValue:
      return MarketValueText(field);
    case FieldConversion::kNone:
      break;
  }
  return rt::Text::Copy(rt::TextView(field));
}

}  // namespace

rt::Text ExchangePrefix(rt::TextRef code) {
  for (const ExchangeRule& rule : kExchangeRules) {
    if (code.view().starts_with(rule.head)) return rt::Text::Copy(rule.exchange);
  }
  return rt::Text::Copy("sh");
}

rt::Text FullQuoteAddress(rt::TextRef code) {
  return rt::ConcatTexts({QuoteServicePrefix(), ExchangePrefix(code), code});
}

rt::Text ShortQuoteAddress(rt::TextRef code) {
  return rt::ConcatTexts({QuoteServicePrefix(), "s_", ExchangePrefix(code), code});
}

rt::TextArray SplitFields(rt::TextRef answer) {
  return rt::SplitText(answer, "~", kLastFieldRead);
}

std::span<const FieldPlace> FullFormPlaces() {
  return kFullFormPlaces;
}
std::span<const FieldPlace> ShortFormPlaces() {
  return kShortFormPlaces;
}

rt::Text VolumeText(rt::TextRef field) {
  // Read into 64 bits: a day's volume in shares can pass 2^31.
  return rt::ConvertToText(static_cast<double>(rt::ToInteger64(field)) / 10000.0);
}

rt::Text MarketValueText(rt::TextRef field) {
  return rt::TextBetween(field, "", rt::QuotePlaceholder());
}

bool ApplyFields(const rt::TextArray& fields, std::span<const FieldPlace> places,
                 const std::function<void(int32_t place, rt::TextRef value)>& write) {
  int32_t count = fields.size();
  if (count < kMinimumFieldCount) return false;
  for (const FieldPlace& place : places) {
    if (place.field > count) continue;
    write(place.place, Convert(fields.At(place.field), place.conversion));
  }
  return true;
}

}  // namespace app
