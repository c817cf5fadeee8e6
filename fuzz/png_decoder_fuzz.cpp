// Feeds arbitrary bytes to the PNG decoder: chart pictures come from the
// network, so no input may crash it or make it read outside the buffer.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ui/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<ui::Picture> picture = ui::DecodePng(std::span(data, size));
  if (picture) {
    // A decoded picture is always one complete frame.
    if (picture->frames.size() != 1 ||
        picture->frames[0].pixels.size() != size_t(picture->width) * picture->height * 4) {
      __builtin_trap();
    }
  }
  return 0;
}
