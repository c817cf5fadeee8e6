// Composition of box objects over the background, pixel by pixel.
#include "ui/cartoon_composer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "tests/support/png_writer.h"
#include "ui/png_decoder.h"

namespace {

constexpr uint32_t kBackground = 0x00405060;  // red 0x40, green 0x50, blue 0x60

struct Pixel {
  uint8_t blue, green, red, transparency;
};

// A picture whose pixel (x, y) has blue x, green y and red 200 + transparency.
std::shared_ptr<ui::Picture> Numbered(int width, int height, uint8_t transparency = 0) {
  auto picture = std::make_shared<ui::Picture>();
  picture->width = width;
  picture->height = height;
  ui::PictureFrame& frame = picture->frames.emplace_back();
  // One value at a time: GCC 12 warns about an inserted list of bytes.
  frame.pixels.reserve(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (uint8_t value : {uint8_t(x), uint8_t(y), uint8_t(200 + transparency), transparency}) {
        frame.pixels.push_back(value);
      }
    }
  }
  return picture;
}

std::shared_ptr<ui::Picture> Filled(int width, int height, Pixel pixel) {
  auto picture = std::make_shared<ui::Picture>();
  picture->width = width;
  picture->height = height;
  ui::PictureFrame& frame = picture->frames.emplace_back();
  frame.pixels.reserve(size_t(width) * height * 4);
  for (int i = 0; i < width * height; ++i) {
    for (uint8_t value : {pixel.blue, pixel.green, pixel.red, pixel.transparency}) {
      frame.pixels.push_back(value);
    }
  }
  return picture;
}

ui::BoxObject At(std::shared_ptr<const ui::Picture> picture, double x, double y) {
  ui::BoxObject object;
  object.picture = std::move(picture);
  object.x = x;
  object.y = y;
  return object;
}

class Box {
 public:
  Box(int width, int height, int x = 0, int y = 0)
      : x_(x), y_(y), width_(width), height_(height), buffer_(size_t(width) * height * 4, 0xcc) {}
  void Compose(const std::vector<ui::BoxObject>& objects) {
    ui::ComposeBox(buffer_.data(), x_, y_, width_, height_, kBackground, objects);
  }
  // (blue, green, red) of buffer pixel (x, y), with the fourth byte checked.
  std::array<int, 3> At(int x, int y) const {
    const uint8_t* p = &buffer_[(size_t(y) * width_ + x) * 4];
    EXPECT_EQ(p[3], 0) << "fourth byte at " << x << "," << y;
    return {p[0], p[1], p[2]};
  }
  const std::vector<uint8_t>& buffer() const { return buffer_; }

 private:
  int x_, y_, width_, height_;
  std::vector<uint8_t> buffer_;
};

constexpr std::array<int, 3> kShownBackground = {0x60, 0x50, 0x40};

TEST(ComposeBox, EmptyBoxShowsTheBackground) {
  Box box(3, 2);
  ui::BoxObject hidden = At(Numbered(3, 2), 0, 0);
  hidden.visible = false;
  box.Compose({hidden, At(nullptr, 0, 0)});
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(box.At(x, y), kShownBackground);
  }
}

TEST(ComposeBox, PictureAtOriginStartsTopLeftAndIsCutAtTheEdges) {
  Box box(4, 3);
  box.Compose({At(Numbered(10, 8), 0, 0)});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(box.At(x, y), (std::array<int, 3>{x, y, 200}));
  }
}

TEST(ComposeBox, PositionsAreTruncatedAndClippedOnEverySide) {
  Box box(5, 4);
  // x -1.9 truncates to -1 and y 1.99 to 1: picture pixel (1, 0) lands on box (0, 1).
  box.Compose({At(Numbered(3, 5), -1.9, 1.99)});
  EXPECT_EQ(box.At(0, 0), kShownBackground);
  EXPECT_EQ(box.At(0, 1), (std::array<int, 3>{1, 0, 200}));
  EXPECT_EQ(box.At(1, 3), (std::array<int, 3>{2, 2, 200}));
  EXPECT_EQ(box.At(2, 1), kShownBackground);
}

TEST(ComposeBox, PaintRectangleShowsItsPartOfTheBox) {
  std::vector<ui::BoxObject> objects = {At(Numbered(5, 5), 1, 1)};  // box pixels 1..5
  Box whole(8, 8);
  whole.Compose(objects);
  Box part(3, 2, 4, 5);  // box pixels (4..6, 5..6)
  part.Compose(objects);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(part.At(x, y), whole.At(4 + x, 5 + y));
  }
  EXPECT_EQ(part.At(0, 0), (std::array<int, 3>{3, 4, 200}));
  EXPECT_EQ(part.At(2, 1), kShownBackground);  // box (6, 6)
}

TEST(ComposeBox, ObjectsOutsideTheRectangleAreSkipped) {
  Box box(4, 4);
  box.Compose(
      {At(Numbered(2, 2), 4, 0), At(Numbered(2, 2), -2, 1), At(Numbered(2, 2), 1e30, -1e30)});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(box.At(x, y), kShownBackground);
  }
}

TEST(ComposeBox, LaterObjectsAreDrawnOverEarlierOnes) {
  Box box(3, 1);
  box.Compose({At(Filled(3, 1, {1, 2, 3, 0}), 0, 0), At(Filled(1, 1, {7, 8, 9, 0}), 1, 0)});
  EXPECT_EQ(box.At(0, 0), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(box.At(1, 0), (std::array<int, 3>{7, 8, 9}));
}

TEST(ComposeBox, ColourKeyPixelsAreSkipped) {
  auto picture = Filled(2, 1, {1, 2, 3, 0});
  picture->frames[0].pixels[4] = 4;   // second pixel: blue 4
  picture->frames[0].pixels[3] = 99;  // transparency plays no part in the match
  picture->frames[0].colour_key = 0x00030201;
  Box box(2, 1);
  box.Compose({At(picture, 0, 0)});
  EXPECT_EQ(box.At(0, 0), kShownBackground);
  EXPECT_EQ(box.At(1, 0), (std::array<int, 3>{4, 2, 3}));
}

TEST(ComposeBox, TransparencyPercentageAndPixelTransparencyAdd) {
  // Source blue 200 over background blue 0x60 = 96 (green 40 over 80, red 0 over 64).
  struct Case {
    int percent;
    uint8_t pixel_transparency;
    std::array<int, 3> expected;
  } cases[] = {
      {0, 0, {200, 40, 0}},
      // 50% is level 128 (127.5 rounded): weight 127.
      // blue (200*127 + 96*128 + 127) / 255 = 148, green (40*127 + 80*128 + 127) / 255 = 60,
      // red (64*128 + 127) / 255 = 32.
      {50, 0, {148, 60, 32}},
      // 20% is level 51, plus 76 is 127: weight 128.
      // blue (200*128 + 96*127 + 127) / 255 = 148, green (40*128 + 80*127 + 127) / 255 = 60,
      // red (64*127 + 127) / 255 = 32.
      {20, 76, {148, 60, 32}},
      {1, 252, {96, 80, 64}},  // 3 + 252 reaches 255: untouched
      {100, 0, {96, 80, 64}},
      {0, 254, {96, 80, 64}},   // weight 1: (200 + 96*254 + 127) / 255 = 96, 80, 64 (63.75)
      {-10, 20, {200, 40, 0}},  // -26 + 20 is below 0: copied
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.percent << "% + " << int(c.pixel_transparency));
    ui::BoxObject object = At(Filled(1, 1, {200, 40, 0, c.pixel_transparency}), 0, 0);
    object.transparency_percent = c.percent;
    Box box(1, 1);
    box.Compose({object});
    EXPECT_EQ(box.At(0, 0), c.expected);
  }
}

TEST(ComposeBox, MissingFrameDrawsNothing) {
  ui::BoxObject object = At(Numbered(2, 2), 0, 0);
  object.frame = 1;
  Box box(2, 2);
  box.Compose({object});
  EXPECT_EQ(box.At(1, 1), kShownBackground);
}

// The composition rule written out plainly, one pixel at a time, in floating
// point: the fast paths must agree with it everywhere.
std::vector<uint8_t> ComposeByTheRule(int width, int height,
                                      const std::vector<ui::BoxObject>& objects) {
  std::vector<uint8_t> box;
  for (int i = 0; i < width * height; ++i) box.insert(box.end(), {0x60, 0x50, 0x40, 0});
  for (const ui::BoxObject& object : objects) {
    const ui::PictureFrame& frame = object.picture->frames[0];
    const int level = int(std::lround(object.transparency_percent * 255 / 100.0));
    for (int py = 0; py < object.picture->height; ++py) {
      for (int px = 0; px < object.picture->width; ++px) {
        const int x = int(object.x) + px, y = int(object.y) + py;
        if (x < 0 || y < 0 || x >= width || y >= height) continue;
        const uint8_t* s = &frame.pixels[(size_t(py) * object.picture->width + px) * 4];
        uint8_t* d = &box[(size_t(y) * width + x) * 4];
        if ((s[0] | s[1] << 8 | s[2] << 16) == int(frame.colour_key)) continue;
        const int o = level + s[3];
        for (int c = 0; c < 3; ++c) {
          if (o <= 0) {
            d[c] = s[c];
          } else if (o < 255) {
            d[c] = uint8_t(d[c] + std::lround((s[c] - d[c]) * (255 - o) / 255.0));
          }
        }
      }
    }
  }
  return box;
}

TEST(ComposeBox, AgreesWithThePlainRuleOnMixedPictures) {
  std::mt19937 random(12345);
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const int box_width = pick(1, 40), box_height = pick(1, 6);
    std::vector<ui::BoxObject> objects;
    for (int n = pick(1, 3); n > 0; --n) {
      auto picture = Filled(pick(1, 45), pick(1, 5), {0, 0, 0, 0});
      std::vector<uint8_t>& pixels = picture->frames[0].pixels;
      const int style = pick(0, 2);  // mostly opaque, mostly transparent, anything
      for (size_t i = 0; i < pixels.size(); i += 4) {
        for (int c = 0; c < 3; ++c) pixels[i + c] = uint8_t(pick(0, 3) * 85);  // keys recur
        const int roll = pick(0, 9);
        pixels[i + 3] = roll < 7 ? (style == 0   ? 0
                                    : style == 1 ? 255
                                                 : pick(0, 255))
                                 : uint8_t(pick(0, 255));
      }
      if (pick(0, 3) == 0) picture->frames[0].colour_key = 0x00aa5500;
      ui::BoxObject object = At(picture, pick(-10, box_width), pick(-3, box_height));
      const int percents[] = {0, 0, 0, 1, 33, 50, 99, 100, -20};
      object.transparency_percent = percents[pick(0, 8)];
      objects.push_back(object);
    }
    Box box(box_width, box_height);
    box.Compose(objects);
    ASSERT_EQ(box.buffer(), ComposeByTheRule(box_width, box_height, objects));
  }
}

TEST(ComposeBox, DecodedChartFillsTheBoxFromTheTopLeft) {
  // A 545 x 300 chart in a 280 x 152 box: the box shows its top-left part.
  test_support::PngLayout layout(545, 300, test_support::PngColour::kRgb);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 545; ++x)
      layout.samples.insert(layout.samples.end(), {uint16_t(x % 256), uint16_t(y), 7});
  }
  std::optional<ui::Picture> chart = ui::DecodePng(test_support::WritePng(layout));
  ASSERT_TRUE(chart);
  Box box(280, 152);
  box.Compose({At(std::make_shared<ui::Picture>(*chart), 0, 0)});
  for (int y : {0, 1, 151}) {
    for (int x : {0, 1, 255, 256, 279}) {
      EXPECT_EQ(box.At(x, y), (std::array<int, 3>{7, y, x % 256})) << x << "," << y;
    }
  }
}

}  // namespace
