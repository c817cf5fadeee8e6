// Encodes pictures of a window as PNG files, for a backend whose window system
// has no encoder of its own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ui {

// An 8-bit RGB PNG file of opaque pixels given as blue, green, red and an
// unused fourth byte, rows top to bottom, no padding. Empty when the sizes do
// not match the pixels or libpng fails.
std::vector<uint8_t> EncodePng(std::span<const uint8_t> bgrx, int width, int height);

}  // namespace ui
