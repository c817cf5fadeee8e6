// The intraday chart picture of one stock: 280 x 152 pixels, the size of the
// viewer's chart area. Painted with Qt Gui on a QImage, so it needs a
// QGuiApplication (the offscreen platform will do) for its fonts.
#pragma once

#include <QImage>

#include "service/market.h"
#include "service/market_clock.h"

namespace service {

constexpr int kChartWidth = 280;
constexpr int kChartHeight = 152;

// The price line from the open to the moment, one point a minute plus the
// moment itself, over the previous-close line and a light grid; price labels
// at the left, session times along the bottom. The line and the area under it
// are red above the previous close and green below, as Chinese markets colour
// them.
QImage PaintChart(const Stock& stock, const MarketMoment& moment);

}  // namespace service
