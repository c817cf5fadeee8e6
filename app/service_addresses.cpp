#include "app/service_addresses.h"

#include <cstdlib>
#include <string>

namespace app {
namespace {

constexpr const char* kDefaultQuotePrefix = "http://127.0.0.1:18080/q=";
constexpr const char* kDefaultChartPrefix = "http://127.0.0.1:18080/quotepic/10082333/";

std::string& QuotePrefix() {
  static std::string prefix = kDefaultQuotePrefix;
  return prefix;
}

std::string& ChartPrefix() {
  static std::string prefix = kDefaultChartPrefix;
  return prefix;
}

// A variable with a value replaces the default whole. An empty one counts as
// unset, as the launcher counts it when it decides whether to start the
// stand-in service: an empty prefix could only make every request fail.
std::string Chosen(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value && *value ? value : fallback;
}

}  // namespace

const char* QuoteServicePrefix() {
  return QuotePrefix().c_str();
}

const char* ChartServicePrefix() {
  return ChartPrefix().c_str();
}

void ReadServiceAddresses() {
  QuotePrefix() = Chosen("QUOTEVIEW_QUOTE_PREFIX", kDefaultQuotePrefix);
  ChartPrefix() = Chosen("QUOTEVIEW_CHART_PREFIX", kDefaultChartPrefix);
}

}  // namespace app
