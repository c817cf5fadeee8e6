// Where the viewer finds its two services. Both default to the stand-in
// service on this machine; QUOTEVIEW_QUOTE_PREFIX and QUOTEVIEW_CHART_PREFIX,
// when set, replace them whole (that is how a user points the viewer at
// another service). Nothing else about the addresses changes.
#pragma once

namespace app {

// Base address of the quote service, ending in "/q=" by default.
const char* QuoteServicePrefix();
// Base address of the chart pictures, ending in "/quotepic/10082333/" by default.
const char* ChartServicePrefix();

// Reads the two variables. Once at start-up, before any refresh worker runs:
// workers read the prefixes without a lock.
void ReadServiceAddresses();

}  // namespace app
