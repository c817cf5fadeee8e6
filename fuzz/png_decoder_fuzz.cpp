// Arbitrary bytes through the PNG decoder, and a decoded picture through one
// composition in an animation box. Chart pictures come from the network, so no
// input may crash the decoder or make it read outside the buffer; the box's
// blocked fast paths must give what the per-pixel rule gives.
//
// The composition's settings come from the last bytes of the input, so a seed
// is a PNG file followed by a few bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "ui/cartoon_composer.h"
#include "ui/png_decoder.h"

namespace {

using fuzz::Check;

// One box pixel under the composition rule, written out per pixel.
void ReferencePixel(const uint8_t* pixel, uint8_t* box, int percent, uint32_t key) {
  uint32_t rgb = pixel[0] | pixel[1] << 8 | pixel[2] << 16;
  if (key <= 0x00ffffff && rgb == key) return;
  int o = static_cast<int>(std::lround(percent * 255.0 / 100.0)) + pixel[3];
  if (o >= 255) return;
  for (int c = 0; c < 3; ++c) {
    if (o <= 0) {
      box[c] = pixel[c];
    } else {
      int moved = static_cast<int>(std::lround((pixel[c] - box[c]) * (255.0 - o) / 255.0));
      box[c] = static_cast<uint8_t>(box[c] + moved);
    }
  }
}

void CheckComposition(ui::Picture picture, FuzzedDataProvider& data) {
  const int rect_x = data.ConsumeIntegralInRange(-40, 40);
  const int rect_y = data.ConsumeIntegralInRange(-40, 40);
  const int width = data.ConsumeIntegralInRange(1, 48);
  const int height = data.ConsumeIntegralInRange(1, 48);
  ui::BoxObject object;
  object.x = data.ConsumeIntegralInRange(-60, 60) + data.ConsumeProbability<double>();
  object.y = data.ConsumeIntegralInRange(-60, 60) - data.ConsumeProbability<double>();
  object.transparency_percent = data.ConsumeIntegralInRange(-10, 110);
  auto shared = std::make_shared<ui::Picture>(std::move(picture));
  if (data.ConsumeBool()) {
    // A colour key: mostly the top-left pixel's colour, so that it matches.
    const uint8_t* first = shared->frames[0].pixels.data();
    shared->frames[0].colour_key = data.ConsumeBool()
                                       ? (first[0] | first[1] << 8 | first[2] << 16)
                                       : data.ConsumeIntegral<uint32_t>() & 0x00ffffff;
  }
  object.picture = shared;
  const uint32_t background = data.ConsumeIntegral<uint32_t>() & 0x00ffffff;

  std::vector<uint8_t> box(size_t(width) * height * 4, 0xAA);
  ui::ComposeBox(box.data(), rect_x, rect_y, width, height, background, {object});

  // Drawing truncates the position toward zero.
  const int left = static_cast<int>(std::trunc(object.x));
  const int top = static_cast<int>(std::trunc(object.y));
  const ui::PictureFrame& frame = shared->frames[0];
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t expected[4] = {uint8_t(background), uint8_t(background >> 8),
                             uint8_t(background >> 16), 0};
      int px = rect_x + x - left, py = rect_y + y - top;
      if (px >= 0 && py >= 0 && px < shared->width && py < shared->height) {
        ReferencePixel(&frame.pixels[(size_t(py) * shared->width + px) * 4], expected,
                       object.transparency_percent, frame.colour_key);
      }
      Check(std::memcmp(&box[(size_t(y) * width + x) * 4], expected, 4) == 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  // Settings from the end; the PNG file is everything before them.
  const size_t settings_size = size < 48 ? size / 2 : 24;
  std::span<const uint8_t> file(bytes, size - settings_size);
  std::optional<ui::Picture> picture = ui::DecodePng(file);
  if (!picture) return 0;
  // A decoded picture is always one complete frame with no colour key.
  Check(picture->width > 0 && picture->height > 0 && picture->frames.size() == 1);
  Check(picture->frames[0].pixels.size() == size_t(picture->width) * picture->height * 4);
  Check(picture->frames[0].colour_key == ui::kNoColourKey);
  FuzzedDataProvider settings(bytes + file.size(), settings_size);
  CheckComposition(std::move(*picture), settings);
  return 0;
}
