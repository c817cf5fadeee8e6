#include "ui/cartoon_composer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace ui {
namespace {

// Pixels are read and written as words whose low three bytes are blue, green,
// red, as they lie in memory.
static_assert(std::endian::native == std::endian::little);

constexpr uint32_t kRgbMask = 0x00ffffff;

// Positions are doubles in the box; drawing truncates them toward zero. Far
// away positions are clamped so the arithmetic below cannot overflow.
int64_t ToPixel(double position) {
  if (std::isnan(position)) return 0;
  return static_cast<int64_t>(std::clamp(position, -1e12, 1e12));
}

// The percentage as a transparency level 0..255, to the nearest integer.
int PercentToLevel(int percent) {
  const int64_t scaled = int64_t{percent} * 255;
  const int64_t level = scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100);
  return static_cast<int>(std::clamp<int64_t>(level, -1000, 1000));
}

// Blends one source pixel into the box pixel. With weight w = 255 - o clamped
// to 0..255, each channel becomes round(d + (s - d) * w / 255), computed with
// non-negative terms only as (s * w + d * (255 - w) + 127) / 255; w = 255 gives
// s exactly and w = 0 gives d exactly, so copying and skipping need no branch.
// Red and blue share one word in two 16-bit lanes (every sum is at most 65152,
// and below 65535 x / 255 == (x + 1 + (x >> 8)) >> 8), green goes alone.
inline uint32_t BlendPixel(uint32_t source, uint32_t destination, uint32_t weight) {
  const uint32_t rest = 255 - weight;
  uint32_t red_blue =
      (source & 0x00ff00ff) * weight + (destination & 0x00ff00ff) * rest + 0x007f007f;
  red_blue = ((red_blue + 0x00010001 + ((red_blue >> 8) & 0x00ff00ff)) >> 8) & 0x00ff00ff;
  uint32_t green = ((source >> 8) & 0xff) * weight + ((destination >> 8) & 0xff) * rest + 127;
  green = (green + 1 + (green >> 8)) >> 8;
  return red_blue | green << 8;
}

template <bool kHasKey>
void ComposePixels(const uint8_t* source, uint8_t* destination, int64_t count, int level,
                   uint32_t key) {
  for (int64_t i = 0; i < count; ++i, source += 4, destination += 4) {
    uint32_t pixel, below;
    std::memcpy(&pixel, source, 4);
    std::memcpy(&below, destination, 4);
    const int opacity_loss = std::clamp(level + static_cast<int>(pixel >> 24), 0, 255);
    uint32_t weight = 255 - static_cast<uint32_t>(opacity_loss);
    if (kHasKey && (pixel & kRgbMask) == key) weight = 0;
    const uint32_t shown = BlendPixel(pixel, below, weight);
    std::memcpy(destination, &shown, 4);
  }
}

// Charts are mostly opaque, so the row goes in blocks: a block that is wholly
// opaque is copied and one wholly transparent is skipped, each in one step;
// mixed blocks and the last few pixels go pixel by pixel.
constexpr int kBlock = 8;
constexpr uint64_t kTransparencyPair = 0xff000000ff000000;

template <bool kHasKey>
void ComposeRow(const uint8_t* source, uint8_t* destination, int64_t count, int level,
                uint32_t key) {
  int64_t done = 0;
  for (; done + kBlock <= count; done += kBlock) {
    const uint8_t* block_source = source + 4 * done;
    uint8_t* block_destination = destination + 4 * done;
    // Two pixels per word; the transparency bytes are the top byte of each half.
    // Plain variables, not an array, keep the words in registers.
    uint64_t p0, p1, p2, p3;
    std::memcpy(&p0, block_source, 8);
    std::memcpy(&p1, block_source + 8, 8);
    std::memcpy(&p2, block_source + 16, 8);
    std::memcpy(&p3, block_source + 24, 8);
    const uint64_t any_bits = p0 | p1 | p2 | p3;
    const uint64_t all_bits = p0 & p1 & p2 & p3;
    if (!kHasKey && level <= 0 && (any_bits & kTransparencyPair) == 0) {
      // Every transparency byte is 0, which is what the fourth byte must hold.
      std::memcpy(block_destination, &p0, 8);
      std::memcpy(block_destination + 8, &p1, 8);
      std::memcpy(block_destination + 16, &p2, 8);
      std::memcpy(block_destination + 24, &p3, 8);
    } else if (level < 0 || (all_bits & kTransparencyPair) != kTransparencyPair) {
      ComposePixels<kHasKey>(block_source, block_destination, kBlock, level, key);
    }
  }
  ComposePixels<kHasKey>(source + 4 * done, destination + 4 * done, count - done, level, key);
}

void FillBackground(uint8_t* bgra, int width, int height, uint32_t background_rgb) {
  const uint32_t pixel = background_rgb & kRgbMask;
  const size_t stride = size_t(width) * 4;
  for (int x = 0; x < width; ++x) std::memcpy(bgra + size_t(x) * 4, &pixel, 4);
  for (int y = 1; y < height; ++y) std::memcpy(bgra + y * stride, bgra, stride);
}

}  // namespace

void ComposeBox(uint8_t* bgra, int rect_x, int rect_y, int rect_width, int rect_height,
                uint32_t background_rgb, const std::vector<BoxObject>& objects) {
  if (rect_width <= 0 || rect_height <= 0) return;
  // Every write below leaves the fourth byte 0, so the buffer is ready to
  // paint as it is.
  FillBackground(bgra, rect_width, rect_height, background_rgb);
  const size_t stride = size_t(rect_width) * 4;
  for (const BoxObject& object : objects) {
    if (!object.visible || !object.picture) continue;
    const Picture& picture = *object.picture;
    if (object.frame < 0 || size_t(object.frame) >= picture.frames.size()) continue;
    const PictureFrame& frame = picture.frames[object.frame];
    if (picture.width <= 0 || picture.height <= 0 ||
        frame.pixels.size() != size_t(picture.width) * picture.height * 4) {
      continue;
    }
    // Intersect the object's rectangle with the one being painted, in box pixels.
    const int64_t left = ToPixel(object.x), top = ToPixel(object.y);
    const int64_t x0 = std::max<int64_t>(left, rect_x);
    const int64_t y0 = std::max<int64_t>(top, rect_y);
    const int64_t x1 = std::min<int64_t>(left + picture.width, int64_t{rect_x} + rect_width);
    const int64_t y1 = std::min<int64_t>(top + picture.height, int64_t{rect_y} + rect_height);
    if (x0 >= x1 || y0 >= y1) continue;

    const int level = PercentToLevel(object.transparency_percent);
    if (level >= 255) continue;  // no pixel of it can show
    const bool has_key = frame.colour_key <= kRgbMask;
    const size_t source_stride = size_t(picture.width) * 4;
    for (int64_t y = y0; y < y1; ++y) {
      const uint8_t* source =
          frame.pixels.data() + size_t(y - top) * source_stride + size_t(x0 - left) * 4;
      uint8_t* destination = bgra + size_t(y - rect_y) * stride + size_t(x0 - rect_x) * 4;
      if (has_key) {
        ComposeRow<true>(source, destination, x1 - x0, level, frame.colour_key);
      } else {
        ComposeRow<false>(source, destination, x1 - x0, level, frame.colour_key);
      }
    }
  }
}

}  // namespace ui
