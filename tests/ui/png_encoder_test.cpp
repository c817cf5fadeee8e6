// PNG encoding of window pictures, read back through the decoder.
#include "ui/png_encoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/png_decoder.h"

namespace {

TEST(PngEncoder, OpaquePixelsComeBackAsTheyWereWithTheFourthByteDropped) {
  const int width = 3, height = 2;
  std::vector<uint8_t> bgrx;
  for (int i = 0; i < width * height; ++i) {
    // Blue, green and red all differ, so a swap shows; the fourth byte is noise.
    for (int value : {10 * i, 100 + i, 200 + i, 77}) bgrx.push_back(static_cast<uint8_t>(value));
  }
  const std::optional<ui::Picture> decoded = ui::DecodePng(ui::EncodePng(bgrx, width, height));
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, width);
  ASSERT_EQ(decoded->height, height);
  std::vector<uint8_t> expected = bgrx;
  for (size_t i = 3; i < expected.size(); i += 4) expected[i] = 0;  // opaque
  EXPECT_EQ(decoded->frames.at(0).pixels, expected);
}

TEST(PngEncoder, PixelsThatDoNotFillTheSizeGiveNothing) {
  const std::vector<uint8_t> bgrx(4 * 4, 0);
  EXPECT_TRUE(ui::EncodePng(bgrx, 2, 3).empty());
  EXPECT_TRUE(ui::EncodePng(bgrx, 0, 4).empty());
  EXPECT_FALSE(ui::EncodePng(bgrx, 2, 2).empty());
}

}  // namespace
