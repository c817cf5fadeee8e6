// The GBK edge between runtime texts and Qt strings.
#include <gtest/gtest.h>

#include "tests/support/gbk_literals.h"
#include "ui/qt/gbk_qt.h"

namespace {

TEST(GbkQt, ChineseTextCrossesBothWaysUnchanged) {
  const std::string gbk = test::Gbk("成交量（万）600519 贵州茅台");
  const QString shown = ui::GbkToQString(gbk);
  EXPECT_EQ(shown, QString::fromUtf8("成交量（万）600519 贵州茅台"));
  EXPECT_EQ(ui::QStringToGbk(shown), gbk);
  EXPECT_TRUE(ui::GbkToQString("").isEmpty());
  EXPECT_EQ(ui::QStringToGbk(QString()), "");
}

TEST(GbkQt, LiteralsShowAsTheRuntimeHoldsThem) {
  EXPECT_EQ(ui::LiteralToQString("卖5"), QString::fromUtf8("卖5"));
  EXPECT_TRUE(ui::LiteralToQString(nullptr).isEmpty());
}

TEST(GbkQt, PrefixNeverCutsATwoByteCharacter) {
  const std::string gbk = test::Gbk("a代码");  // 1 + 2 + 2 bytes
  EXPECT_EQ(ui::GbkPrefix(gbk, 2), "a");
  EXPECT_EQ(ui::GbkPrefix(gbk, 3), gbk.substr(0, 3));
  EXPECT_EQ(ui::GbkPrefix(gbk, 4), gbk.substr(0, 3));
  EXPECT_EQ(ui::GbkPrefix(gbk, 99), gbk);
}

}  // namespace
