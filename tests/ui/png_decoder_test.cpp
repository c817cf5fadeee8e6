// PNG decoding into the pixel model, checked mostly on the pixels the box
// shows when the picture is composed alone over a known background.
#include "ui/png_decoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/png_writer.h"
#include "ui/cartoon_composer.h"

namespace {

using test_support::PngColour;
using test_support::PngLayout;
using test_support::WritePng;

constexpr uint32_t kBackground = 0x00102030;  // red 0x10, green 0x20, blue 0x30

struct Bgr {
  int blue, green, red;
  bool operator==(const Bgr&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Bgr& p) {
  return out << "(b " << p.blue << ", g " << p.green << ", r " << p.red << ")";
}

ui::Picture Decode(const PngLayout& layout) {
  std::optional<ui::Picture> picture = ui::DecodePng(WritePng(layout));
  if (!picture) {
    ADD_FAILURE() << "picture did not decode";
    return {.frames = {ui::PictureFrame{}}};  // empty, so the caller's checks fail cleanly
  }
  EXPECT_EQ(picture->width, layout.width);
  EXPECT_EQ(picture->height, layout.height);
  EXPECT_EQ(picture->frames.size(), 1u);
  EXPECT_EQ(picture->frames[0].colour_key, ui::kNoColourKey);
  EXPECT_EQ(picture->frames[0].pixels.size(), size_t(layout.width) * layout.height * 4);
  return *picture;
}

// The box pixels of the picture alone at (0, 0) over kBackground.
std::vector<Bgr> Shown(const ui::Picture& picture) {
  ui::BoxObject object;
  object.picture = std::make_shared<ui::Picture>(picture);
  std::vector<uint8_t> buffer(size_t(picture.width) * picture.height * 4, 0xee);
  ui::ComposeBox(buffer.data(), 0, 0, picture.width, picture.height, kBackground, {object});
  std::vector<Bgr> pixels;
  for (size_t i = 0; i < buffer.size(); i += 4) {
    EXPECT_EQ(buffer[i + 3], 0) << "fourth byte of pixel " << i / 4;
    pixels.push_back({buffer[i], buffer[i + 1], buffer[i + 2]});
  }
  return pixels;
}

std::vector<uint8_t> Transparencies(const ui::Picture& picture) {
  std::vector<uint8_t> values;
  for (size_t i = 3; i < picture.frames[0].pixels.size(); i += 4) {
    values.push_back(picture.frames[0].pixels[i]);
  }
  return values;
}

// A picture with every kind of pixel value, so interlacing and depth
// reduction have something to get wrong.
PngLayout Gradient(PngColour colour, int bit_depth, int width, int height) {
  PngLayout layout(width, height, colour, bit_depth);
  const int channels = test_support::PngChannels(colour);
  const int top = (1 << bit_depth) - 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        layout.samples.push_back(uint16_t((x * 37 + y * 101 + c * 59) % (top + 1)));
      }
    }
  }
  return layout;
}

TEST(PngDecoderColour, AlphaBecomesTransparencyAndBlendsOverTheBox) {
  PngLayout layout(3, 1, PngColour::kRgbAlpha);
  layout.samples = {200, 100, 50, 255,   // opaque
                  9,   9,   9,  0,     // fully transparent
                  200, 100, 50, 128};  // alpha 128: transparency 127
  ui::Picture picture = Decode(layout);
  EXPECT_EQ(picture.frames[0].pixels,
            (std::vector<uint8_t>{50, 100, 200, 0, 9, 9, 9, 255, 50, 100, 200, 127}));
  // Over blue 0x30, green 0x20, red 0x10 with weight 128/255:
  // blue (50*128 + 48*127 + 127) / 255 = 49, green (100*128 + 32*127 + 127) / 255 = 66,
  // red (200*128 + 16*127 + 127) / 255 = 108.
  EXPECT_EQ(Shown(picture), (std::vector<Bgr>{{50, 100, 200}, {0x30, 0x20, 0x10}, {49, 66, 108}}));
}

TEST(PngDecoderColour, RgbIsOpaque) {
  PngLayout layout(2, 1, PngColour::kRgb);
  layout.samples = {1, 2, 3, 250, 251, 252};
  ui::Picture picture = Decode(layout);
  EXPECT_EQ(picture.frames[0].pixels, (std::vector<uint8_t>{3, 2, 1, 0, 252, 251, 250, 0}));
}

TEST(PngDecoderColour, TransparentColourChunkIsNotApplied) {
  PngLayout layout(2, 1, PngColour::kRgb);
  layout.samples = {1, 2, 3, 7, 8, 9};
  layout.trns = std::array<uint16_t, 3>{1, 2, 3};
  EXPECT_EQ(Shown(Decode(layout)), (std::vector<Bgr>{{3, 2, 1}, {9, 8, 7}}));
}

TEST(PngDecoderColour, GreyWithAlphaKeepsItsAlpha) {
  PngLayout layout(2, 1, PngColour::kGreyAlpha);
  layout.samples = {90, 200, 240, 0};
  ui::Picture picture = Decode(layout);
  EXPECT_EQ(picture.frames[0].pixels, (std::vector<uint8_t>{90, 90, 90, 55, 240, 240, 240, 255}));
  // Transparency 55 over blue 0x30, green 0x20, red 0x10 with weight 200/255:
  // blue (90*200 + 48*55 + 127) / 255 = 81, green (18000 + 32*55 + 127) / 255 = 77,
  // red (18000 + 16*55 + 127) / 255 = 74.
  EXPECT_EQ(Shown(picture), (std::vector<Bgr>{{81, 77, 74}, {0x30, 0x20, 0x10}}));
}

TEST(PngDecoderTable, PaletteIsOpaqueAndIgnoresPaletteAlpha) {
  PngLayout layout(4, 1, PngColour::kPalette);
  layout.palette = {{255, 0, 0}, {0, 128, 0}, {10, 20, 30}};
  layout.palette_alpha = {0, 0, 0};
  layout.samples = {0, 1, 2, 1};
  ui::Picture picture = Decode(layout);
  EXPECT_EQ(Transparencies(picture), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Shown(picture),
            (std::vector<Bgr>{{0, 0, 255}, {0, 128, 0}, {30, 20, 10}, {0, 128, 0}}));
}

TEST(PngDecoderTable, PaletteAtEveryDepth) {
  for (int depth : {1, 2, 4, 8}) {
    SCOPED_TRACE(depth);
    const int entries = 1 << depth;
    PngLayout layout(2 * entries, 2, PngColour::kPalette, depth);
    std::vector<Bgr> expected;
    for (int i = 0; i < entries; ++i) {
      layout.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    }
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2 * entries; ++x) {
        const int index = (x + y) % entries;
        layout.samples.push_back(uint16_t(index));
        expected.push_back({uint8_t(index * 7), 255 - index, index});
      }
    }
    EXPECT_EQ(Shown(Decode(layout)), expected);
  }
}

TEST(PngDecoderTable, IndexPastTheShortPaletteIsBlack) {
  PngLayout layout(2, 1, PngColour::kPalette, 4);
  layout.palette = {{100, 110, 120}};
  layout.samples = {0, 9};
  // libpng itself may object to an index past the palette; when it decodes,
  // that pixel must come out black.
  std::optional<ui::Picture> picture = ui::DecodePng(WritePng(layout));
  if (picture) {
    EXPECT_EQ(Shown(*picture), (std::vector<Bgr>{{120, 110, 100}, {0, 0, 0}}));
  }
}

TEST(PngDecoderTable, GreyFollowsTheRampAtEveryDepth) {
  // Level of entry i is i * (255 / (entries - 1)): steps 255, 85, 17 and 1.
  const std::pair<int, int> depth_and_step[] = {{1, 255}, {2, 85}, {4, 17}, {8, 1}};
  for (auto [depth, step] : depth_and_step) {
    SCOPED_TRACE(depth);
    const int entries = 1 << depth;
    PngLayout layout(entries, 1, PngColour::kGrey, depth);
    std::vector<Bgr> expected;
    for (int i = 0; i < entries; ++i) {
      layout.samples.push_back(uint16_t(i));
      expected.push_back({i * step, i * step, i * step});
    }
    ui::Picture picture = Decode(layout);
    EXPECT_EQ(Shown(picture), expected);
    EXPECT_EQ(Transparencies(picture), std::vector<uint8_t>(entries, 0));
  }
}

TEST(PngDecoderDepth, SixteenBitShowsAsItsHighByte) {
  for (PngColour colour :
       {PngColour::kGrey, PngColour::kGreyAlpha, PngColour::kRgb, PngColour::kRgbAlpha}) {
    SCOPED_TRACE(int(colour));
    PngLayout narrow = Gradient(colour, 8, 9, 5);
    PngLayout wide = narrow;
    wide.bit_depth = 16;
    for (size_t i = 0; i < wide.samples.size(); ++i) {
      wide.samples[i] = uint16_t(narrow.samples[i] << 8 | (i * 97) % 256);
    }
    EXPECT_EQ(Decode(wide).frames[0].pixels, Decode(narrow).frames[0].pixels);
  }
}

TEST(PngDecoderDepth, InterlacedEqualsNonInterlaced) {
  const PngLayout cases[] = {
      Gradient(PngColour::kRgbAlpha, 8, 13, 11), Gradient(PngColour::kRgb, 16, 9, 10),
      Gradient(PngColour::kGrey, 1, 17, 9), Gradient(PngColour::kGrey, 2, 10, 7),
      Gradient(PngColour::kGreyAlpha, 8, 5, 12)};
  for (const PngLayout& plain : cases) {
    SCOPED_TRACE(int(plain.colour) * 100 + plain.bit_depth);
    PngLayout interlaced = plain;
    interlaced.interlaced = true;
    EXPECT_EQ(Decode(interlaced).frames[0].pixels, Decode(plain).frames[0].pixels);
  }
}

TEST(PngDecoderBackground, AlphaIsCompositedOverTheFileBackground) {
  PngLayout layout(3, 1, PngColour::kRgbAlpha);
  layout.samples = {200, 100, 50, 255, 200, 100, 50, 0, 200, 100, 50, 102};
  layout.background = std::array<uint16_t, 3>{0, 60, 250};
  ui::Picture picture = Decode(layout);
  EXPECT_EQ(Transparencies(picture), (std::vector<uint8_t>{0, 0, 0}));
  const std::vector<Bgr> shown = Shown(picture);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], (Bgr{50, 100, 200}));
  EXPECT_EQ(shown[1], (Bgr{250, 60, 0}));
  // alpha 0.4: blue 0.4*50 + 0.6*250 = 170, green 0.4*100 + 0.6*60 = 76,
  // red 0.4*200 = 80; libpng may round the other way by one.
  EXPECT_NEAR(shown[2].blue, 170, 1);
  EXPECT_NEAR(shown[2].green, 76, 1);
  EXPECT_NEAR(shown[2].red, 80, 1);
}

TEST(PngDecoderBackground, GreyAlphaAndPaletteAlphaAreComposited) {
  PngLayout grey(2, 1, PngColour::kGreyAlpha);
  grey.samples = {90, 255, 90, 0};
  grey.background = std::array<uint16_t, 3>{180, 0, 0};
  EXPECT_EQ(Shown(Decode(grey)), (std::vector<Bgr>{{90, 90, 90}, {180, 180, 180}}));

  PngLayout palette(2, 1, PngColour::kPalette);
  palette.palette = {{255, 0, 0}, {0, 0, 255}};
  palette.palette_alpha = {0, 255};
  palette.background = std::array<uint16_t, 3>{1, 0, 0};  // entry 1, blue
  palette.samples = {0, 1};
  EXPECT_EQ(Shown(Decode(palette)), (std::vector<Bgr>{{255, 0, 0}, {255, 0, 0}}));
}

TEST(PngDecoderBackground, OpaquePictureIsUnchanged) {
  PngLayout layout = Gradient(PngColour::kRgb, 8, 6, 4);
  const std::vector<uint8_t> plain = Decode(layout).frames[0].pixels;
  layout.background = std::array<uint16_t, 3>{1, 2, 3};
  EXPECT_EQ(Decode(layout).frames[0].pixels, plain);
}

class PngDecoderBadInput : public testing::Test {
 protected:
  std::vector<uint8_t> good_ = WritePng(Gradient(PngColour::kRgbAlpha, 8, 20, 20));
};

TEST_F(PngDecoderBadInput, NothingDecodesFromNothingOrNonPng) {
  ASSERT_TRUE(ui::DecodePng(good_));
  EXPECT_FALSE(ui::DecodePng({}));
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(ui::DecodePng(gif));
  std::vector<uint8_t> signature_only(good_.begin(), good_.begin() + 8);
  EXPECT_FALSE(ui::DecodePng(signature_only));
}

TEST_F(PngDecoderBadInput, EveryTruncationIsRejected) {
  // Cutting anywhere, even inside the final IEND chunk, leaves an incomplete
  // file. A copy of just the prefix lets the address sanitizer see any read
  // past its end.
  for (size_t length = 0; length < good_.size(); ++length) {
    std::vector<uint8_t> prefix(good_.begin(), good_.begin() + length);
    EXPECT_FALSE(ui::DecodePng(prefix)) << "length " << length;
  }
}

TEST_F(PngDecoderBadInput, DamagedCrcIsRejected) {
  for (std::string_view type : {"IHDR", "IDAT"}) {
    std::vector<uint8_t> damaged = good_;
    const long at = test_support::FindPngChunk(damaged, type);
    ASSERT_GE(at, 0);
    const uint32_t length = uint32_t(damaged[at]) << 24 | uint32_t(damaged[at + 1]) << 16 |
                            uint32_t(damaged[at + 2]) << 8 | damaged[at + 3];
    damaged[at + 8 + length] ^= 0x40;  // first CRC byte
    EXPECT_FALSE(ui::DecodePng(damaged)) << type;
  }
}

TEST_F(PngDecoderBadInput, EnormousDeclaredSizeGivesNoPicture) {
  // A valid header (correct CRC) declaring 100000 x 100000 pixels, followed by
  // the small file's data.
  const long at = test_support::FindPngChunk(good_, "IHDR");
  ASSERT_GE(at, 0);
  std::vector<uint8_t> header(good_.begin() + at + 8, good_.begin() + at + 8 + 13);
  for (int side = 0; side < 2; ++side) {
    header[4 * side + 0] = 0;
    header[4 * side + 1] = 0x01;
    header[4 * side + 2] = 0x86;
    header[4 * side + 3] = 0xa0;
  }
  std::vector<uint8_t> huge(good_.begin(), good_.begin() + at);
  const std::vector<uint8_t> chunk = test_support::PngChunk("IHDR", header);
  huge.insert(huge.end(), chunk.begin(), chunk.end());
  huge.insert(huge.end(), good_.begin() + at + 25, good_.end());
  EXPECT_FALSE(ui::DecodePng(huge));
}

TEST_F(PngDecoderBadInput, DecompressionBombGivesNoPicture) {
  // A complete, valid 8192 x 8192 one-bit picture: a few kilobytes that would
  // become a 256 MiB frame.
  const std::vector<uint8_t> bytes =
      test_support::WriteBlankPng(8192, 8192, PngColour::kGrey, /*bit_depth=*/1);
  ASSERT_LT(bytes.size(), 100000u);
  EXPECT_FALSE(ui::DecodePng(bytes));
}

TEST_F(PngDecoderBadInput, SideLimitIs16384Pixels) {
  using test_support::WriteBlankPng;
  std::optional<ui::Picture> widest = ui::DecodePng(WriteBlankPng(16384, 4, PngColour::kGrey, 1));
  ASSERT_TRUE(widest);
  EXPECT_EQ(widest->width, 16384);
  EXPECT_FALSE(ui::DecodePng(WriteBlankPng(16385, 4, PngColour::kGrey, 1)));
  EXPECT_FALSE(ui::DecodePng(WriteBlankPng(4, 16385, PngColour::kGrey, 1)));
}

TEST_F(PngDecoderBadInput, FlippedBytesNeverBreakTheDecoder) {
  // Every single-byte change either fails or gives a consistent picture.
  for (size_t at = 0; at < good_.size(); ++at) {
    std::vector<uint8_t> changed = good_;
    changed[at] ^= 0xa5;
    std::optional<ui::Picture> picture = ui::DecodePng(changed);
    if (!picture) continue;
    ASSERT_EQ(picture->frames.size(), 1u) << at;
    EXPECT_EQ(picture->frames[0].pixels.size(), size_t(picture->width) * picture->height * 4);
  }
}

}  // namespace
