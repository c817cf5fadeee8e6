// Writes PNG files into memory with libpng, so picture tests build the exact
// inputs they need (any colour type, depth, interlacing, optional chunks).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace test_support {

// PNG colour type numbers.
enum class PngColour : int { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgbAlpha = 6 };

struct PngLayout {
  PngLayout() = default;
  PngLayout(int width, int height, PngColour colour, int bit_depth = 8)
      : width(width), height(height), colour(colour), bit_depth(bit_depth) {}

  int width = 1;
  int height = 1;
  PngColour colour = PngColour::kRgbAlpha;
  int bit_depth = 8;
  bool interlaced = false;
  // One value per channel per pixel (palette index, grey, grey + alpha, red
  // green blue, red green blue alpha), rows top to bottom, at `bit_depth`.
  std::vector<uint16_t> samples;
  std::vector<std::array<uint8_t, 3>> palette;        // PLTE: red, green, blue
  std::vector<uint8_t> palette_alpha;                 // tRNS of a palette image
  std::optional<std::array<uint16_t, 3>> trns;        // tRNS: grey in [0], or red, green, blue
  std::optional<std::array<uint16_t, 3>> background;  // bKGD: index or grey in [0], or RGB
  int compression_level = 6;
};

// Number of channels of one pixel of this colour type.
int PngChannels(PngColour colour);

std::vector<uint8_t> WritePng(const PngLayout& layout);

// A valid all-zero picture of any size, written a row at a time without
// holding its samples (for pictures far larger than they compress to).
std::vector<uint8_t> WriteBlankPng(int width, int height, PngColour colour, int bit_depth);

// The complete chunk (length, type, data, CRC) as a file holds it.
std::vector<uint8_t> PngChunk(std::string_view type, const std::vector<uint8_t>& data);

// Offset of the first chunk of this type in a PNG file, or -1.
long FindPngChunk(const std::vector<uint8_t>& png, std::string_view type);

}  // namespace test_support
