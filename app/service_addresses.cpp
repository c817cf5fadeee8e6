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

// A variable that is set replaces the default, even when it is empty.
std::string Chosen(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value ? value : fallback;
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
