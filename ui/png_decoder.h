// Decodes the PNG files written into an animation object into the pixel model.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "ui/picture.h"

namespace ui {

// Returns a picture with exactly one frame, or nothing when libpng rejects the
// bytes (not a PNG, truncated, damaged) or the picture is too large to hold.
// Images with an alpha channel keep it as transparency (255 - alpha); every
// other image is fully opaque. A background-colour chunk (bKGD) makes libpng
// composite the image over that colour, which leaves it opaque as well.
std::optional<Picture> DecodePng(std::span<const uint8_t> bytes);

}  // namespace ui
