// Reading and writing unit properties over Win32 controls: the common ones
// from the live control or the stored values, the types' own ones, and the
// fatal misuses.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/png_writer.h"
#include "tests/ui/win32/test_window.h"
#include "ui/list_commands.h"
#include "ui/unit_properties.h"
#include "ui/win32/cartoon_units.h"
#include "ui/win32/window_registry.h"

namespace ui_test {
namespace {

using UnitPropertiesTest = TestWindow;
using ui::ReadUnitInt;
using ui::ReadUnitText;
using ui::WriteUnitInt;
using ui::WriteUnitText;
namespace property = ui::property;

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

TEST_F(UnitPropertiesTest, PlaceAndSizeComeFromTheLiveControl) {
  EXPECT_EQ(ReadUnitInt(kLabel, property::Left), 10);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Top), 230);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Width), 100);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Height), 20);
  MoveWindow(control(kLabel), 12, 34, 56, 78, TRUE);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Left), 12);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Top), 34);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Width), 56);
  EXPECT_EQ(ReadUnitInt(kLabel, property::Height), 78);
}

TEST_F(UnitPropertiesTest, WritingPlaceSizeVisibilityAndDisabledChangesTheControl) {
  WriteUnitInt(kButton, property::Left, 40);
  WriteUnitInt(kButton, property::Height, 30);
  RECT place;
  GetWindowRect(control(kButton), &place);
  MapWindowPoints(HWND_DESKTOP, window(), reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 40);
  EXPECT_EQ(place.top, 5);
  EXPECT_EQ(place.right - place.left, 80);
  EXPECT_EQ(place.bottom - place.top, 30);
  WriteUnitInt(kButton, property::Visible, 0);
  EXPECT_FALSE(IsWindowVisible(control(kButton)));
  EXPECT_EQ(ReadUnitInt(kButton, property::Visible), 0);
  WriteUnitInt(kButton, property::Visible, 1);
  EXPECT_TRUE(IsWindowVisible(control(kButton)));
  WriteUnitInt(kButton, property::Disabled, 1);
  EXPECT_FALSE(IsWindowEnabled(control(kButton)));
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
  DestroyWindow(window());
  EXPECT_EQ(ReadUnitInt(kButton, property::Left), 33);
  EXPECT_EQ(ReadUnitInt(kButton, property::Top), 5);
  EXPECT_EQ(ReadUnitInt(kButton, property::MousePointer), 2);
  WriteUnitInt(kButton, property::Top, 44);
  EXPECT_EQ(ReadUnitInt(kButton, property::Top), 44);
}

TEST_F(UnitPropertiesTest, EditBoxContentReadsBackAsGbk) {
  SetWindowTextW(control(kEdit), L"600519 茅台");
  EXPECT_EQ(ReadUnitText(kEdit, property::Text).view(), test::Gbk("600519 茅台"));
  SetWindowTextW(control(kEdit), L"");
  EXPECT_EQ(ReadUnitText(kEdit, property::Text).get(), nullptr);
}

TEST_F(UnitPropertiesTest, LabelCaptionIsReplacedByAWrite) {
  WriteUnitText(kLabel, property::Text, test::Gbk("买1 12.50"));
  EXPECT_EQ(TextOf(control(kLabel)), L"买1 12.50");
  WriteUnitText(kLabel, property::Text, rt::TextRef());
  EXPECT_EQ(TextOf(control(kLabel)), L"");
}

TEST_F(UnitPropertiesTest, FirstSelectedRowIsMinusOneWithoutSelection) {
  for (int i = 0; i < 3; ++i) ui::InsertRow(kList);
  EXPECT_EQ(ReadUnitInt(kList, property::FirstSelectedRow), -1);
  LVITEMW selected{};
  selected.stateMask = LVIS_SELECTED;
  selected.state = LVIS_SELECTED;
  SendMessageW(control(kList), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&selected));
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
  SetWindowTextW(control(kEdit), L"代码");
  std::atomic<bool> done = false;
  std::string read;
  std::thread worker([&] {
    read = std::string(ReadUnitText(kEdit, property::Text).view());
    done = true;
  });
  while (!done) rt::ProcessPendingEvents();
  worker.join();
  EXPECT_EQ(read, test::Gbk("代码"));
}

// The misuses end the program with exit code -1 after the report, which goes
// to standard error here rather than into a box nobody would close.
class UnitPropertiesDeathTest : public TestWindow {
 protected:
  void SetUp() override {
    TestWindow::SetUp();
    rt::SetFatalErrorPresenter(nullptr);
  }
};

TEST_F(UnitPropertiesDeathTest, WindowNeverLoaded) {
  EXPECT_EXIT(ui::ReadUnitProperty(4713, 1, property::Left, -1), testing::ExitedWithCode(-1),
              "未载入欲访问窗口组件所在的窗口");
}

TEST_F(UnitPropertiesDeathTest, OwnPropertyOnceTheWindowIsGone) {
  EXPECT_EXIT(
      {
        DestroyWindow(window());
        ReadUnitText(kEdit, property::Text);
      },
      testing::ExitedWithCode(-1), "指定窗口尚未载入");
  EXPECT_EXIT(
      {
        DestroyWindow(window());
        WriteUnitText(kLabel, property::Text, "x");
      },
      testing::ExitedWithCode(-1), "指定窗口尚未载入");
}

TEST_F(UnitPropertiesDeathTest, UnitTheWindowDoesNotHave) {
  EXPECT_EXIT(ui::ReadUnitProperty(kWindow, 99, property::Left, -1), testing::ExitedWithCode(-1),
              "指定窗口或窗口组件不存在或尚未载入");
}

}  // namespace
}  // namespace ui_test
