#include "ui/png_encoder.h"

#include <png.h>

#include <csetjmp>

namespace ui {
namespace {

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void JumpOnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

struct WriteHandles {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~WriteHandles() { png_destroy_write_struct(&png, &info); }
};

// Locals here stay trivially destructible: an error longjmps back into this frame.
bool WriteImage(png_structp png, png_infop info, const uint8_t* bgrx, int width, int height,
                std::vector<uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // The rows go out as they are: libpng swaps blue and red and drops the
  // fourth byte on the way.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(bgrx + static_cast<size_t>(y) * width * 4));
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(std::span<const uint8_t> bgrx, int width, int height) {
  if (width <= 0 || height <= 0 || bgrx.size() != static_cast<size_t>(width) * height * 4) {
    return {};
  }
  WriteHandles handles;
  handles.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
  if (handles.png == nullptr) return {};
  handles.info = png_create_info_struct(handles.png);
  if (handles.info == nullptr) return {};
  std::vector<uint8_t> file;
  if (!WriteImage(handles.png, handles.info, bgrx.data(), width, height, &file)) return {};
  return file;
}

}  // namespace ui
