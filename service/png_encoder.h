// PNG files from painted pictures, with libpng.
#pragma once

#include <QImage>

#include <string>

namespace service {

// An 8-bit RGB PNG of the picture (alpha is dropped), or empty on failure.
// Chart pictures are mostly flat colour, so light compression without row
// filters gives smaller files than the default effort, in a third of the time.
std::string EncodePng(const QImage& image);

}  // namespace service
