#include "service/quote_records.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace service {
namespace {

void AppendInteger(int64_t value, std::string& out) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// A count of hundredths as a number with two decimals: 1234 is "12.34", -5 is
// "-0.05". Integer arithmetic, so no "-0.00" and no binary rounding.
void AppendHundredths(int64_t hundredths, std::string& out) {
  if (hundredths < 0) {
    out += '-';
    hundredths = -hundredths;
  }
  AppendInteger(hundredths / 100, out);
  out += '.';
  out += static_cast<char>('0' + hundredths / 10 % 10);
  out += static_cast<char>('0' + hundredths % 10);
}

int64_t Ratio100(double part, double whole) {
  return whole > 0 ? std::llround(part * 10000.0 / whole) : 0;
}

struct Fields {
  std::string& out;
  void Text(std::string_view text) {
    out += '~';
    out += text;
  }
  void Integer(int64_t value) {
    out += '~';
    AppendInteger(value, out);
  }
  void Hundredths(int64_t value) {
    out += '~';
    AppendHundredths(value, out);
  }
};

void AppendFraming(std::string_view form, const Stock& stock, std::string& out) {
  out += "v_";
  out += form;
  out += stock.exchange;
  out += stock.code;
  out += "=\"";
  out += stock.exchange == "sh" ? '1' : stock.exchange == "sz" ? '0' : '2';
}

// shares * price in yuan / 10^8, in hundredths: shares * ticks / 10^8.
int64_t MarketValueHundredths(int64_t shares, const Quote& quote) {
  return std::llround(static_cast<double>(shares) * quote.price / 1e8);
}

// Price over yearly earnings per share; funds have none and show 0.
int64_t PriceEarningsHundredths(const Quote& quote) {
  double earnings = quote.stock->earnings;
  return earnings > 0 ? std::llround(quote.price * 100 / earnings) : 0;
}

int64_t TurnoverTenThousands(const Quote& quote) {
  return std::llround(quote.turnover / 1e4);
}

void AppendTime(const LocalDateTime& t, std::string& out) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "~%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  out += buffer;
}

void AppendItem(const Market& market, std::string_view item, int64_t epoch_seconds,
                std::string& out) {
  bool short_form = item.starts_with("s_");
  if (short_form) item.remove_prefix(2);
  std::optional<Stock> stock;
  if (item.size() > 2) stock = market.Find(item.substr(0, 2), item.substr(2));
  if (!stock) {
    out += NoMatchRecord();
    return;
  }
  MarketMoment moment = MomentAt(epoch_seconds);
  if (short_form) {
    AppendShortRecord(MakeQuote(*stock, moment, QuoteDetail::kShort), out);
  } else {
    AppendFullRecord(MakeQuote(*stock, moment, QuoteDetail::kFull), out);
  }
}

}  // namespace

std::string_view NoMatchRecord() {
  return "v_pv_none_match=\"1\";\n";
}

void AppendFullRecord(const Quote& quote, std::string& out) {
  const Stock& stock = *quote.stock;
  const TradingDay& day = quote.day;
  AppendFraming("", stock, out);
  Fields f{out};
  f.Text(stock.name_gbk);
  f.Text(stock.code);
  f.Hundredths(quote.price);
  f.Hundredths(day.previous_close);
  f.Hundredths(day.open);
  f.Integer(quote.volume / 100);
  f.Integer(quote.outer_lots);
  f.Integer(quote.inner_lots);
  for (const BookLevel& level : quote.bids) {
    f.Hundredths(level.price);
    f.Integer(level.lots);
  }
  for (const BookLevel& level : quote.asks) {
    f.Hundredths(level.price);
    f.Integer(level.lots);
  }
  f.Text("");  // no recent trades
  AppendTime(QuoteTime(quote.moment), out);
  int64_t change = quote.price - day.previous_close;
  int64_t lots = quote.volume / 100;
  int64_t turnover_yuan = std::llround(quote.turnover);
  f.Hundredths(change);
  f.Hundredths(Ratio100(change, day.previous_close));
  f.Hundredths(quote.high);
  f.Hundredths(quote.low);
  out += '~';  // price/volume/turnover in one field
  AppendHundredths(quote.price, out);
  out += '/';
  AppendInteger(lots, out);
  out += '/';
  AppendInteger(turnover_yuan, out);
  f.Integer(lots);
  f.Integer(TurnoverTenThousands(quote));
  f.Hundredths(Ratio100(quote.volume, stock.float_shares));
  f.Hundredths(PriceEarningsHundredths(quote));
  f.Text("");
  f.Hundredths(quote.high);
  f.Hundredths(quote.low);
  f.Hundredths(Ratio100(quote.high - quote.low, day.previous_close));
  f.Hundredths(MarketValueHundredths(stock.float_shares, quote));
  f.Hundredths(MarketValueHundredths(stock.shares, quote));
  f.Hundredths(day.limit_up);
  f.Hundredths(day.limit_down);
  f.Hundredths(quote.volume > 0 ? std::llround(quote.turnover * 100 / quote.volume) : quote.price);
  f.Integer(stock.shares);
  out += "\";\n";
}

void AppendShortRecord(const Quote& quote, std::string& out) {
  const Stock& stock = *quote.stock;
  AppendFraming("s_", stock, out);
  Fields f{out};
  int64_t change = quote.price - quote.day.previous_close;
  f.Text(stock.name_gbk);
  f.Text(stock.code);
  f.Hundredths(quote.price);
  f.Hundredths(Ratio100(change, quote.day.previous_close));
  f.Hundredths(change);
  f.Integer(quote.volume / 100);
  f.Integer(TurnoverTenThousands(quote));
  f.Text("");
  f.Hundredths(MarketValueHundredths(stock.shares, quote));
  out += "\";\n";
}

std::string AnswerQuery(const Market& market, std::string_view query, int64_t epoch_seconds) {
  std::string out;
  out.reserve(256);
  bool answered = false;
  while (true) {
    size_t comma = query.find(',');
    std::string_view item = query.substr(0, comma);
    if (!item.empty()) {
      AppendItem(market, item, epoch_seconds, out);
      answered = true;
    }
    if (comma == std::string_view::npos) break;
    query.remove_prefix(comma + 1);
  }
  if (!answered) out += NoMatchRecord();
  return out;
}

}  // namespace service
