// What a change of the current row shows on the window thread: the focused
// stock's five-level order book in the twenty value labels of 分组框2, and its
// chart picture in 动画框1.
#pragma once

#include "runtime/owned.h"

namespace app {

// Fetches the full quote; with more than 7 fields the value labels take
// fields 10 to 29, otherwise they keep what they show.
void ShowOrderBook(rt::TextRef code);

// Empties the chart box, downloads ChartServicePrefix + code + ".png" into
// 动画物体1 and places a copy of it at the box's top-left corner. A failed
// download leaves the box empty.
void ShowChart(rt::TextRef code);

}  // namespace app
