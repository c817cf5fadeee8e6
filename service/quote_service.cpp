#include "service/quote_service.h"

#include <optional>

#include "service/chart.h"
#include "service/index_page.h"
#include "service/png_encoder.h"
#include "service/quote_records.h"

namespace service {
namespace {

constexpr std::string_view kText = "text/plain; charset=GBK";
constexpr std::string_view kHtml = "text/html; charset=GBK";

Answer NotFound(std::string_view sentence) {
  return {404, std::string(kHtml), ErrorPage(404, "Not Found", sentence)};
}

}  // namespace

QuoteService::QuoteService(uint64_t seed, int stock_count, ServiceClock clock)
    : market_(seed, stock_count), clock_(clock) {}

Answer QuoteService::Handle(std::string_view method, std::string_view path) const {
  if (method != "GET" && method != "HEAD") {
    return {405, std::string(kHtml),
            ErrorPage(405, "Method Not Allowed", "This service answers GET and HEAD only.")};
  }
  if (path.starts_with("/q=")) {
    return {200, std::string(kText), AnswerQuery(market_, path.substr(3), clock_.Now())};
  }
  if (path.starts_with(kChartPathPrefix)) return Chart(path.substr(kChartPathPrefix.size()));
  if (path == "/") return {200, std::string(kHtml), IndexPage(market_, clock_.Now())};
  return NotFound("Nothing is served at this address; see / for what is.");
}

Answer QuoteService::Chart(std::string_view file) const {
  std::optional<Stock> stock;
  if (file.ends_with(".png")) stock = market_.FindCode(file.substr(0, file.size() - 4));
  if (!stock) return NotFound("No chart for this code.");
  MarketMoment moment = MomentAt(clock_.Now());
  moment.session_second -= moment.session_second % 60;
  std::string png = charts_.Get(stock->code, moment.trading_day, moment.session_second / 60,
                                [&] { return EncodePng(PaintChart(*stock, moment)); });
  if (png.empty()) {
    return {500, std::string(kHtml),
            ErrorPage(500, "Internal Server Error", "The chart could not be encoded.")};
  }
  return {200, "image/png", std::move(png)};
}

}  // namespace service
