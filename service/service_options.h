// The command line of quote-service.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "service/http_server.h"
#include "service/market.h"

namespace service {

struct ServiceOptions {
  ServerSettings server;
  uint64_t seed = Market::kDefaultSeed;
  int stocks = Market::kDefaultStocks;
  std::optional<int64_t> clock;  // fixed instant, seconds since 1970 UTC
  bool help = false;
  bool version = false;
};

// `args` without the program name. Options take their value as the next
// argument or after "=". On failure `error` says what was wrong.
struct ParsedOptions {
  std::optional<ServiceOptions> options;
  std::string error;
};
ParsedOptions ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

}  // namespace service
