// Composes the objects of an animation box over its background, for one
// rectangle of the box at a time (the part that needs painting).
#pragma once

#include <cstdint>
#include <vector>

#include "ui/cartoon_model.h"

namespace ui {

// Fills `bgra` (rect_width * rect_height pixels of blue, green, red and an
// unused fourth byte left 0, rows top to bottom, no padding) with the box area
// at (rect_x, rect_y): the background colour (0x00RRGGBB), then every visible
// object that has a picture, in list order, at its position truncated to whole
// pixels. Per pixel: a pixel matching the frame's colour key is skipped;
// otherwise o = the object's transparency percentage as 0..255 plus the pixel's
// transparency, and o <= 0 copies the pixel, o >= 255 leaves the box as it is,
// anything between moves the box towards the pixel by (255 - o) / 255, rounded.
void ComposeBox(uint8_t* bgra, int rect_x, int rect_y, int rect_width, int rect_height,
                uint32_t background_rgb, const std::vector<BoxObject>& objects);

}  // namespace ui
