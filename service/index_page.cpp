#include "service/index_page.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "service/boards.h"
#include "service/gbk.h"
#include "service/quote.h"

namespace service {
namespace {

struct PageTexts {
  std::string head;  // up to the sample's size
  std::string table_head;
  std::string tail;
};

// "沪市 600–605、688–689、…，深市 …，北交所 …": each exchange's boards, with
// heads that count up one by one joined into a range.
std::string BoardsSentence() {
  std::string sentence;
  std::string_view exchange;
  std::string_view run_first, run_last;
  auto close_run = [&] {
    if (run_first.empty()) return;
    sentence += run_first;
    if (run_last != run_first) sentence += "–" + std::string(run_last);
  };
  for (const Board& board : Boards()) {
    bool follows = board.exchange == exchange && board.head.size() == run_last.size() &&
                   std::stoi(std::string(board.head)) == std::stoi(std::string(run_last)) + 1;
    if (follows) {
      run_last = board.head;
      continue;
    }
    close_run();
    if (board.exchange != exchange) {
      if (!exchange.empty()) sentence += "，";
      sentence += board.exchange == "sh" ? "沪市 " : board.exchange == "sz" ? "深市 " : "北交所 ";
      exchange = board.exchange;
    } else {
      sentence += "、";
    }
    run_first = run_last = board.head;
  }
  close_run();
  return sentence + " ";
}

const PageTexts& Texts() {
  static const PageTexts texts{
      ToGbk("<!DOCTYPE html>\n<html><head><meta charset=\"GBK\"><title>quote-service</title>\n"
            "<style>body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse}"
            "td,th{padding:2px 10px;text-align:right}th{border-bottom:1px solid #999}"
            "td:nth-child(2){text-align:left}.up{color:#d0302a}.down{color:#1a9040}</style>"
            "</head><body>\n<h1>模拟行情</h1>\n"
            "<p>行情：<code>/q=sh600000</code>（完整）、<code>/q=s_sh600000</code>（简要），"
            "多个代码以逗号分隔；走势图：<code>/quotepic/10082333/600000.png</code>。</p>\n"
            "<p>" +
            BoardsSentence() + "开头的每个六位代码都有行情；下表列出其中 "),
      ToGbk(" 只。</p>\n<table>\n<tr><th>代码</th><th>名称</th><th>现价</th><th>涨跌幅</th>"
            "<th>链接</th></tr>\n"),
      "</table>\n</body></html>\n"};
  return texts;
}

}  // namespace

std::string IndexPage(const Market& market, int64_t epoch_seconds) {
  const PageTexts& texts = Texts();
  MarketMoment moment = MomentAt(epoch_seconds);
  std::string page = texts.head;
  page.reserve(page.size() + texts.table_head.size() + market.stocks().size() * 240);
  page += std::to_string(market.stocks().size());
  page += texts.table_head;
  for (const Stock& stock : market.stocks()) {
    Quote quote = MakeQuote(stock, moment, QuoteDetail::kShort);
    int64_t change = quote.price - quote.day.previous_close;
    double percent = 100.0 * change / quote.day.previous_close;
    const char* tone = change > 0 ? "up" : change < 0 ? "down" : "";
    const char* code = stock.code.c_str();
    const char* exchange = stock.exchange.c_str();
    char cells[512];
    std::snprintf(cells, sizeof cells, "<tr><td>%s%s</td><td>", exchange, code);
    page += cells;
    page += stock.name_gbk;  // already GBK, so it goes in as bytes
    std::snprintf(cells, sizeof cells,
                  "</td><td class=\"%s\">%.2f</td><td class=\"%s\">%+.2f%%</td>"
                  "<td><a href=\"/q=%s%s\">full</a> <a href=\"/q=s_%s%s\">short</a> "
                  "<a href=\"/quotepic/10082333/%s.png\">chart</a></td></tr>\n",
                  tone, quote.price / 100.0, tone, percent, exchange, code, exchange, code, code);
    page += cells;
  }
  page += texts.tail;
  return page;
}

std::string ErrorPage(int status, std::string_view reason, std::string_view sentence) {
  std::string title = std::to_string(status) + " " + std::string(reason);
  return "<!DOCTYPE html>\n<html><head><meta charset=\"GBK\"><title>" + title +
         "</title></head><body><h1>" + title + "</h1><p>" + std::string(sentence) +
         "</p></body></html>\n";
}

}  // namespace service
