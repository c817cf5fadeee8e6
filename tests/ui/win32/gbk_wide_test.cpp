// GBK texts as the controls' UTF-16 texts and back, with the system's code
// page 936 whatever the process's ANSI code page.
#include "ui/win32/gbk_wide.h"

#include <gtest/gtest.h>

#include "runtime/constant_pool.h"
#include "tests/support/gbk_literals.h"

namespace {

TEST(GbkWide, TextsCrossBothWaysUnchanged) {
  const struct {
    std::string gbk;
    std::wstring wide;
  } cases[] = {
      {test::Gbk("浦发银行 600000"), L"浦发银行 600000"},
      {test::Gbk("成交量（万）"), L"成交量（万）"},
      {"\x80", L"\u20AC"},      // the euro sign of the system's table
      {"\xAA\xA1", L"\uE000"},  // a private-use row
      {"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::GbkToWide(c.gbk), c.wide) << test::Utf8(c.gbk);
    EXPECT_EQ(ui::WideToGbk(c.wide), c.gbk) << test::Utf8(c.gbk);
  }
}

TEST(GbkWide, LiteralsShowAsTheRuntimeHoldsThem) {
  EXPECT_EQ(ui::LiteralToWide("总市值（亿）"), ui::GbkToWide(rt::Literal("总市值（亿）")));
  EXPECT_EQ(ui::LiteralToWide("总市值（亿）"), L"总市值（亿）");
  EXPECT_EQ(ui::LiteralToWide(""), L"");
}

}  // namespace
