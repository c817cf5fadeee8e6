// The quote answers in text: one record per code, fields separated by "~",
// framed as  v_<form><exchange><code>="<fields>";  and a line feed.
//
// Full form (query sh600000), fields numbered from 1 as clients split them:
//   1 framing up to the first "~" (ends with the exchange number: 1 sh, 0 sz)
//   2 name  3 code  4 price  5 previous close  6 open
//   7 volume (lots)  8 outer volume (lots)  9 inner volume (lots)
//   10..19 buy 1..5 as price, size (lots)   20..29 sell 1..5 as price, size
//   30 quote time YYYYMMDDhhmmss  31 change  32 change %  33 high  34 low
//   35 volume (shares)  36 turnover (10^4 yuan)  37 turnover rate %
//   38 amplitude %  39 average price  40 limit up  41 limit down
//   42 total market value (10^8 yuan)  43 total shares
// Short form (query s_sh600000):
//   1 framing  2 name  3 code  4 price  5 change %  6 change
//   7 volume (shares)  8 turnover (10^4 yuan)  9 empty
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

// The text after "/q=": one item or several separated by ",", each "sh" or
// "sz" plus a code, optionally behind "s_" for the short form. One record per
// item in order, each on its own line; empty items are skipped, and a query
// with none gets one no-match record.
std::string AnswerQuery(const Market& market, std::string_view query, int64_t epoch_seconds);

}  // namespace service
