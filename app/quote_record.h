// The quote service's record format: request addresses built from a stock
// code, the "~"-separated field list, which field feeds which place on screen,
// and the two conversions applied on the way.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "runtime/owned.h"

namespace app {

// "bj" for codes starting "92", "4" or "8"; "sz" for "0", "2", "3" and "1"
// other than "11"; "sh" for everything else, the empty code and letters too.
rt::Text ExchangePrefix(rt::TextRef code);
// The full form (order book): prefix + exchange + code.
rt::Text FullQuoteAddress(rt::TextRef code);
// The short form (one watch-list row): prefix + "s_" + exchange + code.
rt::Text ShortQuoteAddress(rt::TextRef code);

// The answer split at "~", fields numbered from 1, as far as the last field
// any place reads (29): fields past it are never looked at, and splitting
// them all would let one long answer cost dozens of times its size.
rt::TextArray SplitFields(rt::TextRef answer);

enum class FieldConversion {
  kNone,         // shown as received
  kVolume,       // to integer, divided by 10000, back to text
  kMarketValue,  // the text before the first double quote
};

// One field of a record and the place it is shown in: an order-book label
// number (标签N) for the full form, a watch-list column for the short form.
struct FieldPlace {
  int32_t field;
  int32_t place;
  FieldConversion conversion;
};

// In the order the places are written.
std::span<const FieldPlace> FullFormPlaces();
std::span<const FieldPlace> ShortFormPlaces();

// Field 7: volume in units of ten thousand, e.g. 1234567 gives 123.4567.
rt::Text VolumeText(rt::TextRef field);
// Field 10: the text before the first double quote; empty without one.
rt::Text MarketValueText(rt::TextRef field);

// Records of 7 fields or fewer change nothing (false). Otherwise each place is
// written in order with its converted field; a field the record is too short
// to hold is skipped, so a short record from the service cannot end the viewer.
bool ApplyFields(const rt::TextArray& fields, std::span<const FieldPlace> places,
                 const std::function<void(int32_t place, rt::TextRef value)>& write);

}  // namespace app
