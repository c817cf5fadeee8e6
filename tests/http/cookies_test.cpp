#include "http/cookies.h"

#include <gtest/gtest.h>

#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"

namespace {

TEST(MergeCookies, NewCookiesWinAndOldOnesOfOtherNamesFollow) {
  rt::Text old_cookies = rt::Text::Copy("a=1; b=2");
  rt::Text new_cookies = rt::Text::Copy("b=3; c=4");
  rt::Text merged = http::MergeCookies(old_cookies, new_cookies);
  EXPECT_EQ(merged.str(), "b=3; c=4; a=1");
  EXPECT_EQ(old_cookies.str(), "b=3; c=4; a=1");
  EXPECT_EQ(new_cookies.str(), "b=3;c=4");
}

TEST(MergeCookies, DeletedCookiesDropTheOldOneToo) {
  rt::Text old_cookies = rt::Text::Copy("a=1; b=2");
  rt::Text new_cookies = rt::Text::Copy("b=deleted");
  EXPECT_EQ(http::MergeCookies(old_cookies, new_cookies).str(), "a=1");
}

TEST(MergeCookies, RepeatsAreRecognisedOnlyAsWholeItems) {
  rt::Text empty_old;
  rt::Text twice = rt::Text::Copy("a=1; a=1");
  EXPECT_EQ(http::MergeCookies(empty_old, twice).str(), "a=1");
  rt::Text empty_again;
  rt::Text differing = rt::Text::Copy("a=1; a=2");
  EXPECT_EQ(http::MergeCookies(empty_again, differing).str(), "a=1; a=2");
}

TEST(MergeCookies, RemovesFullWidthSpacesAsWell) {
  rt::Text old_cookies = rt::Text::Copy(test::Gbk("a=1;\u3000b=2"));
  rt::Text new_cookies;
  EXPECT_EQ(http::MergeCookies(old_cookies, new_cookies).str(), "a=1; b=2");
}

TEST(CookieName, IsThePartBeforeTheFirstEqualsTrimmed) {
  EXPECT_EQ(http::CookieName(" sid =x=y").str(), "sid");
  EXPECT_EQ(http::CookieName("flag").str(), "flag");
  EXPECT_EQ(http::CookieName("=v").get(), nullptr);
}

TEST(CookieLists, LookUpByNameAndByWholeItem) {
  rt::TextArray items = rt::SplitText("a=1;B=2;c", ";");
  EXPECT_TRUE(http::HasCookieNamed(items, "B"));
  EXPECT_FALSE(http::HasCookieNamed(items, "b"));
  EXPECT_TRUE(http::HasCookieNamed(items, "c"));
  EXPECT_EQ(http::IndexOfText(items, "B=2"), 2);
  EXPECT_EQ(http::IndexOfText(items, "B"), -1);
  EXPECT_EQ(http::IndexOfText(rt::TextArray(), "x"), -1);
}

TEST(DistinctJoin, KeepsFirstOccurrences) {
  EXPECT_EQ(http::DistinctJoin("x; y; x; z; y", "; ").str(), "x; y; z");
  EXPECT_EQ(http::DistinctJoin("", "; ").get(), nullptr);
}

}  // namespace
