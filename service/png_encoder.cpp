#include "service/png_encoder.h"

#include <png.h>

#include <csetjmp>

namespace service {
namespace {

constexpr int kCompressionLevel = 3;

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char*>(data), length);
}

// Kept apart from C++ objects with destructors, since libpng reports errors
// by longjmp back here.
bool Write(png_structp png, png_infop info, const QImage& rgb32, std::string* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendBytes, nullptr);
  png_set_compression_level(png, kCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, rgb32.width(), rgb32.height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // Format_RGB32 rows are 32-bit 0xffRRGGBB words; libpng drops the pad byte.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
#else
  png_set_filler(png, 0, PNG_FILLER_BEFORE);
#endif
  for (int y = 0; y < rgb32.height(); ++y) png_write_row(png, rgb32.constScanLine(y));
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::string EncodePng(const QImage& image) {
  if (image.isNull()) return {};
  QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  std::string out;
  bool written = info && Write(png, info, rgb32, &out);
  png_destroy_write_struct(&png, &info);
  return written ? out : std::string();
}

}  // namespace service
