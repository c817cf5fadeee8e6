// The animation box and object units over Win32: placing and removing
// objects through the commands, what the box paints, and the object drawing
// nothing itself.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/png_writer.h"
#include "tests/ui/win32/test_window.h"
#include "ui/cartoon_commands.h"
#include "ui/png_decoder.h"
#include "ui/unit_actions.h"
#include "ui/unit_properties.h"
#include "ui/win32/cartoon_units.h"
#include "ui/win32/window_registry.h"

namespace ui_test {
namespace {

class CartoonUnitsTest : public TestWindow {
 protected:
  const ui::CartoonBoxModel& box() const {
    return static_cast<ui::CartoonBoxUnit&>(ui::LookUpUnit(kWindow, kBox.unit)).model();
  }
  // A solid opaque picture written into the object unit.
  void GiveObjectPicture(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
    test_support::PngLayout layout(width, height, test_support::PngColour::kRgb);
    for (int i = 0; i < width * height; ++i) {
      layout.samples.insert(layout.samples.end(), {red, green, blue});
    }
    const std::vector<uint8_t> png = test_support::WritePng(layout);
    ui::WriteUnitByteSet(kObject, ui::property::PictureData,
                         rt::ByteSet::Copy(png.data(), png.size()));
  }
  // What the box shows on the screen once it has painted.
  COLORREF Shown(int x, int y) {
    UpdateWindow(control(kBox));
    HDC dc = GetDC(control(kBox));
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(control(kBox), dc);
    return colour;
  }
};

constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(CartoonUnitsTest, ObjectIdsCountUpAndRemoveAllEmptiesTheBox) {
  ui::RemoveAllObjects(kBox);  // an empty box: nothing to do
  EXPECT_TRUE(box().objects().empty());
  EXPECT_EQ(ui::AddObject(kBox, kObject, 0, 0), 1);
  EXPECT_EQ(ui::AddObject(kBox, std::nullopt, 5, 6), 2);
  ASSERT_EQ(box().objects().size(), 2u);
  EXPECT_EQ(box().objects()[1].x, 5);
  EXPECT_EQ(box().objects()[1].y, 6);
  EXPECT_TRUE(box().objects()[0].visible) << "visible by default";
  ui::RemoveAllObjects(kBox);
  EXPECT_TRUE(box().objects().empty());
  EXPECT_EQ(ui::AddObject(kBox, kObject, 0, 0, false, "tag"), 3);
  EXPECT_FALSE(box().objects()[0].visible);
}

// Both on the screen and in a picture of the window (which the box paints
// for PrintWindow on its own).
TEST_F(CartoonUnitsTest, BoxShowsAPlacedCopyOverWhiteCutAtItsEdges) {
  GiveObjectPicture(130, 10, 255, 0, 0);  // wider than the box
  ui::AddObject(kBox, kObject, 2, 1);
  // The object keeps the picture it was placed with.
  GiveObjectPicture(10, 10, 0, 0, 255);
  EXPECT_EQ(Shown(0, 0), kWhite);
  EXPECT_EQ(Shown(2, 1), RGB(255, 0, 0));
  EXPECT_EQ(Shown(119, 10), RGB(255, 0, 0));
  EXPECT_EQ(Shown(2, 11), kWhite);
  EXPECT_EQ(PaintedPixel(window(), 5 + 2, 300 + 1), RGB(255, 0, 0));
  EXPECT_EQ(PaintedPixel(window(), 5 + 1, 300 + 1), kWhite);

  ui::RemoveAllObjects(kBox);
  EXPECT_EQ(Shown(2, 1), kWhite);
}

// The picture the program writes of its window (the screenshot mode's) holds
// what the window shows: the placed chart and the labels inside group boxes.
TEST_F(CartoonUnitsTest, AWindowsPictureHoldsTheChartAndTheLabelsAsShown) {
  GiveObjectPicture(20, 10, 255, 0, 0);
  ui::AddObject(kBox, kObject, 0, 0);
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "quoteview-window-picture.png";
  ASSERT_TRUE(ui::SaveWindowPicture(kWindow, path));
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  file.close();
  DeleteFileA(path.c_str());
  const std::optional<ui::Picture> picture = ui::DecodePng(bytes);
  ASSERT_TRUE(picture);
  RECT client;
  GetClientRect(window(), &client);
  EXPECT_EQ(picture->width, client.right);
  EXPECT_EQ(picture->height, client.bottom);
  auto red_at = [&](int x, int y) {
    return picture->frames[0].pixels[(static_cast<size_t>(y) * picture->width + x) * 4 + 2];
  };
  EXPECT_EQ(red_at(5 + 10, 300 + 5), 255) << "the chart";
  int dark = 0;  // the label's text, in the group box at (100, 5)
  for (int y = 5 + 230; y < 5 + 250; ++y) {
    for (int x = 100 + 10; x < 100 + 110; ++x) dark += red_at(x, y) < 128 ? 1 : 0;
  }
  EXPECT_GT(dark, 0);
  EXPECT_FALSE(ui::SaveWindowPicture(4715, path)) << "a window never loaded";
}

// What the screen shows in the object's place (200, 230, 26 x 26 in the
// group box) is the same with the object there and with it hidden.
TEST_F(CartoonUnitsTest, TheObjectDrawsNothingInItsOwnPlace) {
  GiveObjectPicture(26, 26, 0, 0, 0);
  HWND group = control(kGroup);
  auto shown = [group] {
    RedrawWindow(group, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(group);
    for (int y = 230; y < 256; y += 5) {
      for (int x = 200; x < 226; x += 5) pixels.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(group, dc);
    return pixels;
  };
  const std::vector<COLORREF> with_object = shown();
  ShowWindow(control(kObject), SW_HIDE);
  EXPECT_EQ(with_object, shown());
  EXPECT_EQ(PaintedPixel(window(), 100 + 213, 5 + 243), PaintedPixel(window(), 100 + 240, 5 + 243));
}

}  // namespace
}  // namespace ui_test
