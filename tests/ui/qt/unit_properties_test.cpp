// Reading and writing unit properties: the common ones from the live widget
// or the stored values, the types' own ones, and the fatal misuses.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <atomic>
#include <thread>

#include "runtime/fatal_error.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/png_writer.h"
#include "tests/ui/qt/test_window.h"
#include "ui/list_commands.h"
#include "ui/qt/cartoon_units.h"
#include "ui/qt/list_view_unit.h"
#include "ui/qt/standard_units.h"
#include "ui/qt/window_registry.h"
#include "ui/unit_properties.h"

namespace ui_test {
namespace {

using UnitPropertiesTest = TestWindow;
using ui::ReadUnitInt;
using ui::ReadUnitText;
using ui::WriteUnitInt;
using ui::WriteUnitText;
namespace property = ui::property;

TEST_F(UnitPropertiesTest, PlaceAndSizeComeFromTheLiveWidget) {
  EXPECT_EQ(ReadUnitInt(kLabel, property::Left), 10);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Top), 230);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Width), 100);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Height), 20);
  widget(kLabel)->setGeometry(12, 34, 56, 78);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Left), 12);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Top), 34);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Width), 56);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Height), 78);
}

TEST_F(UnitPropertiesTest, WritingPlaceSizeVisibilityAndDisabledChangesTheWidget) {
  WriteUnitInt(kButton, property::Left, 40);
  WriteUnitInt(kButton, property::Height, 30);
  EXPECT_EQ(widget(kButton)->geometry(), QRect(40, 5, 80, 30));
  WriteUnitInt(kButton, property::Visible, 0);
  EXPECT_TRUE(widget(kButton)->isHidden());
  EXPECT_EQ(ReadUnitInt(kButton, property::Visible), 0);
  WriteUnitInt(kButton, property::Visible, 1);
  EXPECT_FALSE(widget(kButton)->isHidden());
  WriteUnitInt(kButton, property::Disabled, 1);
  EXPECT_FALSE(widget(kButton)->isEnabled());
  EXPECT_EQ(ReadUnitInt(kButton, property::Disabled), 1);
}

TEST_F(UnitPropertiesTest, TagTextComesBackAsANewBlockEachTime) {
  const std::string tag = test::Gbk("标记 tag");
  WriteUnitText(kEdit, property::Tag, tag);
  rt::Text first = ReadUnitText(kEdit, property::Tag);
  rt::Text second = ReadUnitText(kEdit, property::Tag);
  EXPECT_EQ(first.view(), tag);
  EXPECT_NE(first.get(), second.get());
  EXPECT_NE(first.get(), tag.c_str());
}

TEST_F(UnitPropertiesTest, StoredValuesServeOnceTheWindowIsGone) {
  WriteUnitInt(kButton, property::Left, 33);
  WriteUnitInt(kButton, property::MousePointer, 2);
  delete window();
  EXPECT_EQ(ReadUnitInt(kButton, property::Left), 33);
  EXPECT_EQ(ReadUnitInt(kButton, property::Top), 5);
  EXPECT_EQ(ReadUnitInt(kButton, property::MousePointer), 2);
  WriteUnitInt(kButton, property::Top, 44);
  EXPECT_EQ(ReadUnitInt(kButton, property::Top), 44);
}

TEST_F(UnitPropertiesTest, EditBoxContentReadsBackAsGbk) {
  widget_as<QLineEdit>(kEdit)->setText(QString::fromUtf8("600519 茅台"));
  EXPECT_EQ(ReadUnitText(kEdit, property::Text).view(), test::Gbk("600519 茅台"));
  widget_as<QLineEdit>(kEdit)->clear();
  EXPECT_EQ(ReadUnitText(kEdit, property::Text).get(), nullptr);
}

TEST_F(UnitPropertiesTest, LabelCaptionIsReplacedByAWrite) {
  WriteUnitText(kLabel, property::Text, test::Gbk("12.50"));
  EXPECT_EQ(widget_as<QLabel>(kLabel)->text(), QString::fromUtf8("12.50"));
  WriteUnitText(kLabel, property::Text, rt::TextRef());
  EXPECT_EQ(widget_as<QLabel>(kLabel)->text(), QString());
}

TEST_F(UnitPropertiesTest, FirstSelectedRowIsMinusOneWithoutSelection) {
  for (int i = 0; i < 3; ++i) ui::InsertRow(kList);
  EXPECT_EQ(ReadUnitInt(kList, property::FirstSelectedRow), -1);
  widget_as<QTableView>(kList)->selectRow(2);
  EXPECT_EQ(ReadUnitInt(kList, property::FirstSelectedRow), 2);
}

TEST_F(UnitPropertiesTest, PictureBytesWrittenIntoTheObjectAreDecoded) {
  test_support::PngLayout layout(3, 2, test_support::PngColour::kRgb);
  layout.samples.assign(3 * 2 * 3, 200);
  const std::vector<uint8_t> png = test_support::WritePng(layout);
  rt::ByteSet bytes = rt::ByteSet::Copy(png.data(), png.size());
  ui::WriteUnitByteSet(kObject, property::PictureData, bytes);
  auto& object = static_cast<ui::CartoonObjectUnit&>(ui::LookUpUnit(kWindow, kObject.unit));
  ASSERT_NE(object.model().picture(), nullptr);
  EXPECT_EQ(object.model().picture()->width, 3);
  EXPECT_EQ(object.model().picture()->height, 2);
  ui::WriteUnitByteSet(kObject, property::PictureData, rt::ByteSetRef());
  EXPECT_EQ(object.model().picture(), nullptr);
}

TEST_F(UnitPropertiesTest, AnotherThreadReadsThroughTheWindowThread) {
  widget_as<QLineEdit>(kEdit)->setText(QString::fromUtf8("代码"));
  std::atomic<bool> done = false;
  std::string read;
  std::thread worker([&] {
    read = std::string(ReadUnitText(kEdit, property::Text).view());
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  worker.join();
  EXPECT_EQ(read, test::Gbk("代码"));
}

// The misuses end the program with exit code -1 after the report.
class UnitPropertiesDeathTest : public TestWindow {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestWindow::SetUp();
  }
};

TEST_F(UnitPropertiesDeathTest, WindowNeverLoaded) {
  EXPECT_EXIT(ui::ReadUnitProperty(4713, 1, property::Left, -1), testing::ExitedWithCode(255),
              "未载入欲访问窗口组件所在的窗口");
}

TEST_F(UnitPropertiesDeathTest, OwnPropertyOnceTheWindowIsGone) {
  EXPECT_EXIT(
      {
        delete window();
        ReadUnitText(kEdit, property::Text);
      },
      testing::ExitedWithCode(255), "指定窗口尚未载入");
  EXPECT_EXIT(
      {
        delete window();
        WriteUnitText(kLabel, property::Text, "x");
      },
      testing::ExitedWithCode(255), "指定窗口尚未载入");
}

TEST_F(UnitPropertiesDeathTest, UnitTheWindowDoesNotHave) {
  EXPECT_EXIT(ui::ReadUnitProperty(kWindow, 99, property::Left, -1), testing::ExitedWithCode(255),
              "指定窗口或窗口组件不存在或尚未载入");
}

}  // namespace
}  // namespace ui_test
