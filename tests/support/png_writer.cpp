#include "tests/support/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <stdexcept>

namespace test_support {
namespace {

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

// Packs samples into libpng's row format: big-endian 16-bit samples, or
// several samples per byte from the most significant bits for depths below 8.
std::vector<uint8_t> PackRows(const PngLayout& layout, size_t row_bytes) {
  const int channels = PngChannels(layout.colour);
  const size_t per_row = size_t(layout.width) * channels;
  if (layout.samples.size() != per_row * layout.height) {
    throw std::invalid_argument("PngLayout: samples do not match width * height * channels");
  }
  std::vector<uint8_t> rows(row_bytes * layout.height, 0);
  for (int y = 0; y < layout.height; ++y) {
    uint8_t* row = rows.data() + y * row_bytes;
    for (size_t i = 0; i < per_row; ++i) {
      const uint16_t value = layout.samples[y * per_row + i];
      if (layout.bit_depth == 16) {
        row[2 * i] = uint8_t(value >> 8);
        row[2 * i + 1] = uint8_t(value);
      } else if (layout.bit_depth == 8) {
        row[i] = uint8_t(value);
      } else {
        const size_t bit = i * layout.bit_depth;
        const int shift = 8 - layout.bit_depth - int(bit % 8);
        row[bit / 8] |= uint8_t((value & ((1 << layout.bit_depth) - 1)) << shift);
      }
    }
  }
  return rows;
}

// Everything with a destructor lives in the caller, so libpng's error jump
// skips none.
bool Write(png_structp png, png_infop info, const PngLayout& layout,
           std::vector<png_bytep>& row_pointers, std::vector<png_color>& palette,
           std::vector<uint8_t>& out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, AppendToVector, FlushNothing);
  png_set_compression_level(png, layout.compression_level);
  png_set_IHDR(png, info, layout.width, layout.height, layout.bit_depth, int(layout.colour),
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  for (const auto& entry : layout.palette) palette.push_back({entry[0], entry[1], entry[2]});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!layout.palette_alpha.empty()) {
    png_set_tRNS(png, info, layout.palette_alpha.data(), int(layout.palette_alpha.size()), nullptr);
  } else if (layout.trns) {
    png_color_16 colour{};
    colour.gray = colour.red = (*layout.trns)[0];
    colour.green = (*layout.trns)[1];
    colour.blue = (*layout.trns)[2];
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  if (layout.background) {
    png_color_16 colour{};
    colour.index = uint8_t((*layout.background)[0]);
    colour.gray = colour.red = (*layout.background)[0];
    colour.green = (*layout.background)[1];
    colour.blue = (*layout.background)[2];
    png_set_bKGD(png, info, &colour);
  }
  png_write_info(png, info);
  png_write_image(png, row_pointers.data());
  png_write_end(png, nullptr);
  return true;
}

std::vector<uint8_t> WriteRows(const PngLayout& layout, std::vector<png_bytep>& row_pointers) {
  std::vector<png_color> palette;
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const bool written = Write(png, info, layout, row_pointers, palette, out);
  png_destroy_write_struct(&png, &info);
  if (!written) throw std::invalid_argument("PngLayout: libpng refused to write this picture");
  return out;
}

}  // namespace

int PngChannels(PngColour colour) {
  switch (colour) {
    case PngColour::kGrey:
    case PngColour::kPalette:
      return 1;
    case PngColour::kGreyAlpha:
      return 2;
    case PngColour::kRgb:
      return 3;
    case PngColour::kRgbAlpha:
      return 4;
  }
  return 0;
}

std::vector<uint8_t> WritePng(const PngLayout& layout) {
  const size_t row_bits = size_t(layout.width) * PngChannels(layout.colour) * layout.bit_depth;
  const size_t row_bytes = (row_bits + 7) / 8;
  std::vector<uint8_t> rows = PackRows(layout, row_bytes);
  std::vector<png_bytep> row_pointers;
  for (int y = 0; y < layout.height; ++y) row_pointers.push_back(rows.data() + y * row_bytes);
  return WriteRows(layout, row_pointers);
}

std::vector<uint8_t> WriteBlankPng(int width, int height, PngColour colour, int bit_depth) {
  PngLayout layout(width, 1, colour, bit_depth);
  layout.samples.assign(size_t(width) * PngChannels(colour), 0);
  const size_t row_bits = size_t(width) * PngChannels(colour) * bit_depth;
  std::vector<uint8_t> row = PackRows(layout, (row_bits + 7) / 8);
  layout.height = height;
  layout.compression_level = 9;
  std::vector<png_bytep> row_pointers(height, row.data());
  return WriteRows(layout, row_pointers);
}

std::vector<uint8_t> PngChunk(std::string_view type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> chunk;
  chunk.reserve(12 + data.size());
  PutBigEndian(chunk, uint32_t(data.size()));
  chunk.insert(chunk.end(), type.begin(), type.end());
  chunk.insert(chunk.end(), data.begin(), data.end());
  const uLong crc = crc32(0, chunk.data() + 4, uInt(chunk.size() - 4));
  PutBigEndian(chunk, uint32_t(crc));
  return chunk;
}

long FindPngChunk(const std::vector<uint8_t>& png, std::string_view type) {
  size_t offset = 8;
  while (offset + 8 <= png.size()) {
    const uint32_t length = uint32_t(png[offset]) << 24 | uint32_t(png[offset + 1]) << 16 |
                            uint32_t(png[offset + 2]) << 8 | png[offset + 3];
    if (std::string_view(reinterpret_cast<const char*>(&png[offset + 4]), 4) == type) {
      return long(offset);
    }
    offset += size_t(length) + 12;
  }
  return -1;
}

}  // namespace test_support
