// Drives the viewer's main window inside a benchmark program, as the user
// would: the service it points at, a filled watch list, row changes as a
// click makes them, and waiting for the refresh passes to end. The program
// owns the application object and registers the main form first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Codes of the market behind `service_base` ("http://host:port") that the
// viewer's exchange rule reaches (Shenzhen codes starting with 0, Shanghai
// ones with 6), from its index page.
std::vector<std::string> MarketCodes(const std::string& service_base);

// Points the viewer's quote and chart addresses at `service_base`.
void PointViewerAt(const std::string& service_base);

// The addresses the viewer asks for a code: the short quote of a watch-list
// row, the full quote of the order book and the chart picture.
std::string ShortQuoteAddress(const std::string& code);
std::string FullQuoteAddress(const std::string& code);
std::string ChartAddress(const std::string& code);

// A fresh main window whose list holds `rows` codes, `codes` over and over.
void FillList(const std::vector<std::string>& codes, int rows);

// Serves the workers from an event loop until none is left.
void WaitForPasses();

// Selects the row and makes it current, as a click does: the handler runs
// now and returns with the chart in the box.
void ChangeRow(int row);
// Moves the selection between the list's first two rows and leaves the
// current row as it is: the list repaints both rows, and no handler runs.
void SelectOtherRow();

// The repaints and the rest of the pass that a change left behind.
void Settle();

// Whether the box shows one chart and the list's second row a name.
bool ViewerShowsQuotesAndChart();

// libpng's own decoding of a PNG into BGRA pixels.
std::vector<uint8_t> DecodePng(const std::string& png);

double Median(std::vector<double> values);

}  // namespace bench
