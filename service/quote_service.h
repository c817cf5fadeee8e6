// What the service answers, apart from HTTP itself: one request's method and
// decoded path in, status, content type and body out. Safe to call from many
// threads at once; every answer is computed from the market and the clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "service/chart_cache.h"
#include "service/market.h"
#include "service/market_clock.h"

namespace service {

struct Answer {
  int status = 200;
  std::string content_type;
  std::string body;
};

inline constexpr std::string_view kChartPathPrefix = "/quotepic/10082333/";

class QuoteService {
 public:
  QuoteService(uint64_t seed, int stock_count, ServiceClock clock);

  const Market& market() const { return market_; }
  const ServiceClock& clock() const { return clock_; }

  // GET (or HEAD) of "/", "/q=<query>" or the chart prefix plus "<code>.png";
  // anything else is 404, other methods 405. Charts show the market at the
  // start of the current minute, so each is painted once a minute.
  Answer Handle(std::string_view method, std::string_view path) const;

 private:
  Answer Chart(std::string_view file) const;

  Market market_;
  ServiceClock clock_;
  mutable ChartCache charts_;
};

}  // namespace service
