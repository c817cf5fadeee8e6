#include "app/service_addresses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// Restores the defaults however a case ends, for the tests that follow.
class ServiceAddressesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("QUOTEVIEW_QUOTE_PREFIX");
    unsetenv("QUOTEVIEW_CHART_PREFIX");
    app::ReadServiceAddresses();
  }
};

TEST_F(ServiceAddressesTest, VariablesReplaceThePrefixesWholeAndEmptyOnesCountAsUnset) {
  unsetenv("QUOTEVIEW_QUOTE_PREFIX");
  unsetenv("QUOTEVIEW_CHART_PREFIX");
  app::ReadServiceAddresses();
  EXPECT_STREQ(app::QuoteServicePrefix(), "http://127.0.0.1:18080/q=");
  EXPECT_STREQ(app::ChartServicePrefix(), "http://127.0.0.1:18080/quotepic/10082333/");

  setenv("QUOTEVIEW_QUOTE_PREFIX", "https://quotes.test:8443/x?q=", 1);
  setenv("QUOTEVIEW_CHART_PREFIX", "", 1);
  app::ReadServiceAddresses();
  EXPECT_STREQ(app::QuoteServicePrefix(), "https://quotes.test:8443/x?q=");
  EXPECT_STREQ(app::ChartServicePrefix(), "http://127.0.0.1:18080/quotepic/10082333/");
}

}  // namespace
