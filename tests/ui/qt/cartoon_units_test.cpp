// The animation box and object units: placing and removing objects through
// the commands, what the box paints, and the object drawing nothing itself.
#include <gtest/gtest.h>

#include <QImage>

#include "tests/support/png_writer.h"
#include "tests/ui/qt/test_window.h"
#include "ui/cartoon_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/window_registry.h"
#include "ui/unit_properties.h"

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
    for (int i = 0; i < width * height; ++i)
      layout.samples.insert(layout.samples.end(), {red, green, blue});
    const std::vector<uint8_t> png = test_support::WritePng(layout);
    ui::WriteUnitByteSet(kObject, ui::property::PictureData,
                         rt::ByteSet::Copy(png.data(), png.size()));
  }
  QImage BoxImage() const { return widget(kBox)->grab().toImage(); }
};

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

TEST_F(CartoonUnitsTest, BoxShowsAPlacedCopyOverWhite) {
  GiveObjectPicture(10, 10, 255, 0, 0);
  ui::AddObject(kBox, kObject, 0, 0);
  // The object keeps the picture it was placed with.
  GiveObjectPicture(10, 10, 0, 0, 255);
  const QImage image = BoxImage();
  EXPECT_EQ(image.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(9, 9), QColor(255, 0, 0));
  EXPECT_EQ(image.pixelColor(10, 10), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(100, 70), QColor(255, 255, 255));

  ui::RemoveAllObjects(kBox);
  EXPECT_EQ(BoxImage().pixelColor(0, 0), QColor(255, 255, 255));
}

// Composing is the box's costly part: repaints of an unchanged box draw what
// was composed before, and the box composes afresh when its objects or its
// size change.
TEST_F(CartoonUnitsTest, TheBoxComposesOnlyWhenItsObjectsOrSizeChange) {
  auto* shown = widget_as<ui::CartoonBoxWidget>(kBox);
  GiveObjectPicture(130, 10, 255, 0, 0);
  ui::AddObject(kBox, kObject, 0, 0);
  BoxImage();
  const int after_add = shown->compositions();
  BoxImage();
  shown->repaint(0, 0, 5, 5);
  EXPECT_EQ(shown->compositions(), after_add);

  shown->resize(130, 80);  // wider than the 120 it was: the picture's end shows
  EXPECT_EQ(BoxImage().pixelColor(125, 5), QColor(255, 0, 0));
  EXPECT_EQ(shown->compositions(), after_add + 1);

  ui::RemoveAllObjects(kBox);
  EXPECT_EQ(BoxImage().pixelColor(0, 0), QColor(255, 255, 255));
  EXPECT_EQ(shown->compositions(), after_add + 2);
}

TEST_F(CartoonUnitsTest, TheObjectDrawsNothingInItsOwnPlace) {
  GiveObjectPicture(26, 26, 0, 0, 0);
  QWidget* object = widget(kObject);
  const QRect place = object->geometry();
  const QImage with_object = widget(kGroup)->grab(place).toImage();
  object->hide();
  const QImage without_object = widget(kGroup)->grab(place).toImage();
  EXPECT_EQ(with_object, without_object);
}

}  // namespace
}  // namespace ui_test
