// The animation object (decoding its picture bytes) and the box's object list.
#include "ui/cartoon_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/png_writer.h"

namespace {

using test_support::PngColour;
using test_support::PngLayout;

std::vector<uint8_t> TwoPixelPng(uint8_t red, uint8_t green, uint8_t blue) {
  PngLayout layout(2, 1, PngColour::kRgb);
  layout.samples = {red, green, blue, 1, 2, 3};
  return test_support::WritePng(layout);
}

TEST(CartoonObjectModel, PngBytesBuildAnImageWithoutColourKey) {
  ui::CartoonObjectModel object;
  EXPECT_EQ(object.picture(), nullptr);
  object.SetPictureBytes(TwoPixelPng(10, 20, 30));
  ASSERT_NE(object.picture(), nullptr);
  EXPECT_EQ(object.picture()->width, 2);
  ASSERT_EQ(object.picture()->frames.size(), 1u);
  EXPECT_EQ(object.picture()->frames[0].colour_key, ui::kNoColourKey);
  EXPECT_EQ(object.picture_bytes(), TwoPixelPng(10, 20, 30));
}

TEST(CartoonObjectModel, ColourKeyComesFromSettingsOrTopLeftPixel) {
  ui::CartoonObjectModel object;
  object.SetPictureBytes(TwoPixelPng(10, 20, 30));
  ui::CartoonObjectSettings settings;
  settings.colour_key = 0x00010203;
  object.SetSettings(settings);
  EXPECT_EQ(object.picture()->frames[0].colour_key, 0x00010203u);
  settings.colour_key_from_top_left = true;
  object.SetSettings(settings);
  EXPECT_EQ(object.picture()->frames[0].colour_key, 0x000a141eu);  // red 10, green 20, blue 30
}

TEST(CartoonObjectModel, NewBytesReplaceTheOldImage) {
  ui::CartoonObjectModel object;
  object.SetPictureBytes(TwoPixelPng(10, 20, 30));
  std::shared_ptr<const ui::Picture> first = object.picture();
  object.SetPictureBytes(TwoPixelPng(40, 50, 60));
  ASSERT_NE(object.picture(), nullptr);
  EXPECT_NE(object.picture(), first);
  EXPECT_EQ(object.picture()->frames[0].pixels[0], 60);  // blue of the new top-left pixel

  std::vector<uint8_t> truncated = TwoPixelPng(1, 1, 1);
  truncated.resize(truncated.size() - 20);
  object.SetPictureBytes(truncated);
  EXPECT_EQ(object.picture(), nullptr);
  object.SetPictureBytes(TwoPixelPng(1, 1, 1));
  object.SetPictureBytes({});
  EXPECT_EQ(object.picture(), nullptr);
}

TEST(CartoonObjectModel, OnlyPngBytesGiveAnImage) {
  ui::CartoonObjectModel object;
  object.SetPictureBytes(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0});
  EXPECT_EQ(object.picture(), nullptr);
  object.SetPictureBytes(std::vector<uint8_t>{0xff, 0xd8, 0xff, 0xe0, 0, 16, 'J', 'F', 'I', 'F'});
  EXPECT_EQ(object.picture(), nullptr);
  const std::vector<uint8_t> png = TwoPixelPng(1, 2, 3);
  object.SetPictureBytes(std::span(png).first(7));
  EXPECT_EQ(object.picture(), nullptr);
}

TEST(CartoonObjectModel, TextReplacesThePicture) {
  ui::CartoonObjectModel object;
  object.SetPictureBytes(TwoPixelPng(10, 20, 30));
  ui::CartoonObjectSettings captioned;
  captioned.text = "caption";
  object.SetSettings(captioned);
  EXPECT_EQ(object.picture(), nullptr);
  object.SetSettings({});
  EXPECT_NE(object.picture(), nullptr);  // the bytes were kept
}

ui::CartoonObjectModel WithOrdering(int ordering) {
  ui::CartoonObjectModel object;
  ui::CartoonObjectSettings settings;
  settings.ordering = ordering;
  object.SetSettings(settings);
  return object;
}

std::vector<int> Ids(const ui::CartoonBoxModel& box) {
  std::vector<int> ids;
  for (const ui::BoxObject& object : box.objects()) ids.push_back(object.id);
  return ids;
}

TEST(CartoonBoxModel, IdsCountUpAndObjectsCopyTheirTemplate) {
  ui::CartoonObjectModel chart;
  chart.SetPictureBytes(TwoPixelPng(10, 20, 30));
  ui::CartoonObjectSettings settings;
  settings.transparency_percent = 40;
  settings.ordering = 2;
  chart.SetSettings(settings);
  ui::CartoonBoxModel box;
  EXPECT_EQ(box.AddObject(&chart, 1.5, -2.5), 1);
  std::shared_ptr<const ui::Picture> placed = chart.picture();
  chart.SetPictureBytes(TwoPixelPng(40, 50, 60));
  EXPECT_EQ(box.AddObject(nullptr, 0, 0, false, "tag"), 2);
  box.RemoveObject(2);
  EXPECT_EQ(box.AddObject(&chart, 0, 0), 3);  // ids are never reused

  ASSERT_EQ(box.objects().size(), 2u);
  const ui::BoxObject& first = box.objects()[0];
  EXPECT_EQ(first.picture, placed);  // the picture at the moment it was added
  EXPECT_EQ(first.x, 1.5);
  EXPECT_EQ(first.y, -2.5);
  EXPECT_TRUE(first.visible);
  EXPECT_EQ(first.transparency_percent, 40);
  EXPECT_EQ(first.ordering, 2);
  EXPECT_EQ(box.objects()[1].picture, chart.picture());
}

TEST(CartoonBoxModel, ObjectWithoutTemplateHasNoPicture) {
  ui::CartoonBoxModel box;
  box.AddObject(nullptr, 3, 4, false, "label");
  const ui::BoxObject& object = box.objects().at(0);
  EXPECT_EQ(object.picture, nullptr);
  EXPECT_FALSE(object.visible);
  EXPECT_EQ(object.tag, "label");
  EXPECT_EQ(object.ordering, 0);
}

TEST(CartoonBoxModel, NewObjectGoesAfterEveryObjectNotOrderedAfterIt) {
  ui::CartoonBoxModel box;
  const int orderings[] = {5, 1, 5, 3, 1, -2};
  for (int ordering : orderings) {
    ui::CartoonObjectModel object = WithOrdering(ordering);
    box.AddObject(&object, 0, 0);
  }
  // Ids in placing order: 1:5, 2:1, 3:5, 4:3, 5:1, 6:-2.
  EXPECT_EQ(Ids(box), (std::vector<int>{6, 2, 5, 4, 1, 3}));
}

TEST(CartoonBoxModel, RemoveObjectFindsById) {
  ui::CartoonBoxModel box;
  box.AddObject(nullptr, 0, 0);
  box.AddObject(nullptr, 0, 0);
  EXPECT_TRUE(box.RemoveObject(1));
  EXPECT_FALSE(box.RemoveObject(1));
  EXPECT_EQ(Ids(box), (std::vector<int>{2}));
}

class CartoonBoxRemoval : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) box_->AddObject(nullptr, 0, 0);
  }
  std::unique_ptr<ui::CartoonBoxModel> box_ = std::make_unique<ui::CartoonBoxModel>();
  std::vector<int> events_;
};

TEST_F(CartoonBoxRemoval, EmptyBoxRaisesNoEvent) {
  ui::CartoonBoxModel empty;
  empty.RemoveAllObjects([&](int id) {
    events_.push_back(id);
    return true;
  });
  EXPECT_TRUE(events_.empty());
}

TEST_F(CartoonBoxRemoval, WithoutHandlerEverythingGoes) {
  box_->RemoveAllObjects();
  EXPECT_TRUE(box_->objects().empty());
}

TEST_F(CartoonBoxRemoval, EventComesBeforeEachRemovalOfTheFirstObject) {
  box_->RemoveAllObjects([&](int id) {
    EXPECT_EQ(box_->objects().front().id, id) << "raised before the removal";
    events_.push_back(id);
    return true;
  });
  EXPECT_EQ(events_, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(box_->objects().empty());
}

TEST_F(CartoonBoxRemoval, ObjectRemovedByTheHandlerIsNotRemovedTwice) {
  box_->RemoveAllObjects([&](int id) {
    events_.push_back(id);
    if (id == 1) {
      EXPECT_TRUE(box_->RemoveObject(1));
    } else if (id == 2) {
      EXPECT_TRUE(box_->RemoveObject(4));  // another object: it leaves no event
    }
    return true;
  });
  EXPECT_EQ(events_, (std::vector<int>{1, 2, 3}));
  EXPECT_TRUE(box_->objects().empty());
}

TEST_F(CartoonBoxRemoval, StopsWhenTheBoxIsGone) {
  box_->RemoveAllObjects([&](int id) {
    events_.push_back(id);
    if (id < 2) return true;
    box_.reset();  // the handler closed the window holding the box
    return false;
  });
  EXPECT_EQ(events_, (std::vector<int>{1, 2}));
  EXPECT_EQ(box_, nullptr);
}

TEST_F(CartoonBoxRemoval, FalseLeavesTheRemainingObjects) {
  box_->RemoveAllObjects([&](int id) { return id != 3; });
  EXPECT_EQ(Ids(*box_), (std::vector<int>{3, 4}));
}

}  // namespace
