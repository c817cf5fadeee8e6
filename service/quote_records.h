// The quote answers in text: one record per code, fields separated by "~",
// framed as  v_<form><exchange><code>="<fields>";  and a line feed.
//
// Full form (query sh600000), fields numbered from 1 as clients split them:
//   1 framing up to the first "~" (ends with the exchange number: 1 sh, 0 sz,
//     2 bj)  2 name  3 code  4 price  5 previous close  6 open
//   7 volume (lots of 100 shares)  8 outer volume  9 inner volume (lots)
//   10..19 buy 1..5 as price, size (lots)   20..29 sell 1..5 as price, size
//   30 recent trades (left empty)  31 quote time YYYYMMDDhhmmss
//   32 change  33 change %  34 high  35 low
//   36 price/volume (lots)/turnover (yuan)  37 volume (lots)
//   38 turnover (10^4 yuan)  39 turnover rate % of the float  40 P/E (0.00
//   for funds)  41 empty  42 high  43 low  44 amplitude %
//   45 float market value  46 total market value (10^8 yuan)
//   47 limit up  48 limit down  49 average price  50 total shares
// Short form (query s_sh600000):
//   1 framing  2 name  3 code  4 price  5 change %  6 change
//   7 volume (lots)  8 turnover (10^4 yuan)  9 empty
//   10 total market value (10^8 yuan), directly followed by the closing quote.
// Prices carry two decimals; names are GBK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/market.h"
#include "service/quote.h"

namespace service {

// The answer to a code the market does not list, as quote services give it:
// too few fields to be read as a quote.
std::string_view NoMatchRecord();

void AppendFullRecord(const Quote& quote, std::string& out);
void AppendShortRecord(const Quote& quote, std::string& out);

// The text after "/q=": one item or several separated by ",", each "sh",
// "sz" or "bj" plus a code of one of that exchange's boards, optionally
// behind "s_" for the short form; any other item gets the no-match record.
// One record per item in order, each on its own line; empty items are
// skipped, and a query with none gets one no-match record.
std::string AnswerQuery(const Market& market, std::string_view query, int64_t epoch_seconds);

}  // namespace service
