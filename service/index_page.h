// The page at "/", for a person looking at the service in a browser: which
// boards answer, and the market's listed sample with each stock's current
// price and change and the addresses of its full quote, short quote and chart.
#pragma once

#include <cstdint>
#include <string>

#include "service/market.h"

namespace service {

// GBK HTML.
std::string IndexPage(const Market& market, int64_t epoch_seconds);

// A short GBK HTML page for an error status ("404 Not Found" and a sentence).
std::string ErrorPage(int status, std::string_view reason, std::string_view sentence);

}  // namespace service
