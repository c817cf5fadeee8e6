#include "ui/png_decoder.h"

#include <png.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

namespace ui {
namespace {

// A header may declare any size up to 2^31 - 1 on each side. These limits keep
// a small hostile file (or a decompression bomb) from making us allocate
// gigabytes: such files give no picture instead. A chart is a few hundred
// pixels wide.
constexpr png_uint_32 kMaxSide = 16384;
constexpr uint64_t kMaxPixels = uint64_t{1} << 24;  // a 64 MiB frame
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{8} << 20;

struct ByteSource {
  const uint8_t* data;
  size_t size;
  size_t position;
};

// libpng pulls the file through this; a request past the end is a truncated
// file, reported through libpng's error path so nothing outside the buffer is
// ever read.
void ReadFromBuffer(png_structp png, png_bytep out, size_t length) {
  auto* source = static_cast<ByteSource*>(png_get_io_ptr(png));
  if (length > source->size - source->position) png_error(png, "picture bytes end early");
  std::memcpy(out, source->data + source->position, length);
  source->position += length;
}

// Errors jump back to the setjmp in ReadImage without printing anything: a bad
// download is an ordinary event here, not a diagnostic.
[[noreturn]] void JumpOnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// Owns libpng's structures; it lives in DecodePng, above the frame that calls
// setjmp, so the error jump never skips its destructor.
struct ReadHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadHandles() { png_destroy_read_struct(&png, &info, nullptr); }
};

// What ReadImage hands back. Everything with a destructor that ReadImage fills
// lives here, outside the frame the error jump returns to.
struct ReadResult {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  // True when libpng delivered blue, green, red, transparency straight into
  // `pixels`; otherwise `indexed` holds rows of 1, 4 or 8 bit indices into
  // `table`, which is what palette and grey images become.
  bool direct = false;
  int index_bits = 0;
  size_t row_bytes = 0;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> indexed;
  std::array<png_color, 256> table{};  // red, green, blue per index
  std::vector<png_bytep> rows;
};

// Fills the colour table: the file's palette (entries past it stay black), or
// a grey ramp in which entry i has level i * (255 / (entries - 1)).
void FillTable(png_structp png, png_infop info, int index_bits, ReadResult& out) {
  const int entries = 1 << index_bits;
  if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) == 0) count = 0;
    for (int i = 0; i < count && i < entries; ++i) out.table[i] = palette[i];
    return;
  }
  const int step = 255 / (entries - 1);
  for (int i = 0; i < entries; ++i) {
    const auto level = static_cast<png_byte>(i * step);
    out.table[i] = {level, level, level};
  }
}

// Drives libpng over the whole file. Locals here must stay trivially
// destructible: an error longjmps back into this frame.
bool ReadImage(png_structp png, png_infop info, ReadResult& out) {
  if (setjmp(png_jmpbuf(png))) return false;

  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bit_depth = 0, colour_type = 0;
  png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, nullptr, nullptr, nullptr);
  if (uint64_t{width} * height > kMaxPixels) return false;

  png_color_16p background = nullptr;
  const bool has_background = png_get_bKGD(png, info, &background) != 0;
  if (has_background) {
    // Composite over the file's own background colour; alpha is gone afterwards.
    png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
  }
  if (bit_depth == 16) png_set_strip_16(png);
  const bool keeps_alpha = (colour_type & PNG_COLOR_MASK_ALPHA) != 0 && !has_background;
  if (colour_type == PNG_COLOR_TYPE_GRAY_ALPHA && keeps_alpha) {
    // Two-byte grey pixels have no place in the table model; as colour they
    // keep their alpha.
    png_set_gray_to_rgb(png);
  }
  if ((colour_type & PNG_COLOR_MASK_COLOR) != 0 || keeps_alpha) {
    // Colour pixels arrive as blue, green, red and transparency, in place.
    png_set_bgr(png);
    if (keeps_alpha) {
      png_set_invert_alpha(png);
    } else {
      png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
  }
  if (bit_depth == 2) {
    // A table model of 1, 4 or 8 bits per pixel cannot hold 2-bit pixels:
    // widen grey levels to 8 bits, palette indices to one byte each.
    if (colour_type == PNG_COLOR_TYPE_PALETTE) {
      png_set_packing(png);
    } else {
      png_set_expand_gray_1_2_4_to_8(png);
    }
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  out.width = width;
  out.height = height;
  out.row_bytes = png_get_rowbytes(png, info);
  const int pixel_bits = png_get_bit_depth(png, info) * png_get_channels(png, info);
  const int out_colour_type = png_get_color_type(png, info);
  out.direct =
      (out_colour_type & PNG_COLOR_MASK_COLOR) != 0 && out_colour_type != PNG_COLOR_TYPE_PALETTE;
  if (out.direct) {
    if (pixel_bits != 32 || out.row_bytes != size_t{width} * 4) return false;
    out.pixels.resize(out.row_bytes * height);
  } else {
    if (pixel_bits != 1 && pixel_bits != 4 && pixel_bits != 8) return false;
    out.index_bits = pixel_bits;
    FillTable(png, info, pixel_bits, out);
    out.indexed.resize(out.row_bytes * height);
  }
  uint8_t* base = out.direct ? out.pixels.data() : out.indexed.data();
  out.rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) out.rows[y] = base + y * out.row_bytes;
  // An interlaced file delivers every row once per pass; libpng merges the
  // passes into the rows.
  for (int pass = 0; pass < passes; ++pass) png_read_rows(png, out.rows.data(), nullptr, height);
  png_read_end(png, nullptr);
  return true;
}

// Turns rows of table indices into opaque blue, green, red pixels.
std::vector<uint8_t> ExpandIndexed(const ReadResult& in) {
  std::vector<uint8_t> pixels(size_t{in.width} * in.height * 4);
  std::array<uint32_t, 256> bgr{};
  for (size_t i = 0; i < bgr.size(); ++i) {
    bgr[i] = uint32_t{in.table[i].blue} | uint32_t{in.table[i].green} << 8 |
             uint32_t{in.table[i].red} << 16;
  }
  const int per_byte = 8 / in.index_bits;
  const unsigned mask = (1u << in.index_bits) - 1;
  for (png_uint_32 y = 0; y < in.height; ++y) {
    const uint8_t* row = in.indexed.data() + y * in.row_bytes;
    uint8_t* target = pixels.data() + size_t{y} * in.width * 4;
    for (png_uint_32 x = 0; x < in.width; ++x) {
      // Packed pixels fill each byte from its most significant bits.
      const int shift = 8 - in.index_bits * (1 + static_cast<int>(x % per_byte));
      const unsigned index = (row[x / per_byte] >> shift) & mask;
      const uint32_t colour = bgr[index];
      target[4 * x] = static_cast<uint8_t>(colour);
      target[4 * x + 1] = static_cast<uint8_t>(colour >> 8);
      target[4 * x + 2] = static_cast<uint8_t>(colour >> 16);
      target[4 * x + 3] = 0;
    }
  }
  return pixels;
}

}  // namespace

std::optional<Picture> DecodePng(std::span<const uint8_t> bytes) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) return std::nullopt;
  ReadHandles handles;
  // libpng 1.6 refuses to create a read structure for an older version
  // string, so we ask for the version the headers describe.
  handles.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
  if (handles.png == nullptr) return std::nullopt;
  handles.info = png_create_info_struct(handles.png);
  if (handles.info == nullptr) return std::nullopt;
  ByteSource source{bytes.data(), bytes.size(), 0};
  png_set_read_fn(handles.png, &source, ReadFromBuffer);

  try {
    ReadResult result;
    if (!ReadImage(handles.png, handles.info, result)) return std::nullopt;
    Picture picture;
    picture.width = static_cast<int>(result.width);
    picture.height = static_cast<int>(result.height);
    PictureFrame& frame = picture.frames.emplace_back();
    frame.pixels = result.direct ? std::move(result.pixels) : ExpandIndexed(result);
    return picture;
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // within the limits above, but the machine is short of memory
  }
}

}  // namespace ui
