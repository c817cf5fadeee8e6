// The pixel model shared by the picture decoders, the animation object and the
// box that composes objects over its background.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

// A colour key holds 0x00RRGGBB (the low three bytes of a pixel read as a
// little-endian word); this value has a high byte set, so no pixel can match it.
inline constexpr uint32_t kNoColourKey = 0xff000000;

struct PictureFrame {
  uint32_t colour_key = kNoColourKey;
  // width * height * 4 bytes: blue, green, red, transparency (0 opaque .. 255
  // transparent), rows top to bottom, no padding.
  std::vector<uint8_t> pixels;
};

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<PictureFrame> frames;
};

}  // namespace ui
