#include "platform/regexp_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using platform::RegexEngine;
using Spans = std::vector<std::pair<size_t, size_t>>;  // start, length of each match

Spans Find(std::u16string_view pattern, std::u16string_view subject, bool global = true,
           bool multiline = false) {
  RegexEngine engine;
  engine.SetPattern(pattern);
  engine.SetMultiline(multiline);
  std::vector<platform::RegexMatch> matches;
  if (!engine.Execute(subject, global, &matches)) return {{999, 999}};
  Spans spans;
  for (const auto& match : matches) spans.emplace_back(match[0].start, match[0].length);
  return spans;
}

std::u16string Replace(std::u16string_view pattern, std::u16string_view subject,
                       std::u16string_view replacement, bool global = true) {
  RegexEngine engine;
  engine.SetPattern(pattern);
  std::u16string out;
  if (!engine.Replace(subject, replacement, global, &out)) return u"<failed>";
  return out;
}

TEST(RegexEngine, GlobalFindsNonOverlappingMatchesLeftToRight) {
  EXPECT_EQ(Find(u"a+", u" aabaaa"), (Spans{{1, 2}, {4, 3}}));
  EXPECT_EQ(Find(u"a+", u" aabaaa", false), (Spans{{1, 2}}));
}

TEST(RegexEngine, EmptyMatchesAdvanceOneCodeUnit) {
  EXPECT_EQ(Find(u"", u"test"), (Spans{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
  EXPECT_EQ(Find(u"", u"test", false), (Spans{{0, 0}}));
  EXPECT_EQ(Find(u"a*", u"baaa"), (Spans{{0, 0}, {1, 3}, {4, 0}}));
  EXPECT_EQ(Find(u"\\b", u"ab cd").size(), 4u);
  EXPECT_EQ(Replace(u"", u"xxx", u"y", false), u"yxxx");
  EXPECT_EQ(Replace(u"", u"xxx", u"y"), u"yxyxyxy");
}

TEST(RegexEngine, LineBreaksAndAnchors) {
  EXPECT_EQ(Find(u"a.b", u"a\nb a\rb"), (Spans{{4, 3}}));  // "." skips only the line feed
  EXPECT_TRUE(Find(u"abc$", u"abc\n").empty());            // "$" is the very end
  EXPECT_TRUE(Find(u"abc$", std::u16string(u"abc\0", 4)).empty());
  EXPECT_EQ(Find(u"^b", u"a\r\nb", true, true), (Spans{{3, 1}}));
  EXPECT_EQ(Find(u"a$", u"a\r\nb", true, true), (Spans{{0, 1}}));
  EXPECT_EQ(Find(u"^", u"\r\n", true, true), (Spans{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(Find(u"[$^]", u"^$", true, true).size(), 2u);  // literal inside a class
}

TEST(RegexEngine, PatternSyntax) {
  EXPECT_EQ(Find(u"\\v", u"\n\x0B"), (Spans{{1, 1}}));
  EXPECT_EQ(Find(u"\\u0041\\x42", u"xAB"), (Spans{{1, 2}}));
  EXPECT_EQ(Find(u"a[^]b", u"a\nb"), (Spans{{0, 3}}));
  EXPECT_TRUE(Find(u"a[]", u"a]").empty());
  EXPECT_EQ(Find(u"(a)?b\\1", u"b"), (Spans{{0, 1}}));   // an unset group matches empty
  EXPECT_EQ(Find(u"\\w+", u"股票ab"), (Spans{{2, 2}}));  // word characters are ASCII
}

TEST(RegexEngine, IgnoreCaseRecompiles) {
  RegexEngine engine;
  engine.SetPattern(u"A");
  std::vector<platform::RegexMatch> matches;
  ASSERT_TRUE(engine.Execute(u"a", true, &matches));
  EXPECT_TRUE(matches.empty());
  engine.SetIgnoreCase(true);
  ASSERT_TRUE(engine.Execute(u"a", true, &matches));
  EXPECT_EQ(matches.size(), 1u);
}

TEST(RegexEngine, GroupsThatTookNoPartAndRepeatedGroups) {
  RegexEngine engine;
  engine.SetPattern(u"(a)|(b)");
  std::vector<platform::RegexMatch> matches;
  ASSERT_TRUE(engine.Execute(u"b", false, &matches));
  ASSERT_EQ(matches[0].size(), 3u);
  EXPECT_FALSE(matches[0][1].set);
  EXPECT_TRUE(matches[0][2].set);
  engine.SetPattern(u"(a|b)+");
  ASSERT_TRUE(engine.Execute(u"ab", false, &matches));
  EXPECT_EQ(matches[0][1].start, 1u);
}

TEST(RegexEngine, ReplacementSyntax) {
  EXPECT_EQ(Replace(u"(a)(b)?", u"xac", u"[$1|$2|$3|$0|$&|$`|$'|$$|$x|$]"),
            u"x[a||$3|$0|a|x|c|$|$x|$]c");
  EXPECT_EQ(Replace(u"(a)(b)", u"ab", u"$12$01"), u"a2a");  // two digits only when the group exists
  EXPECT_EQ(Replace(u"a", u"banana", u"X"), u"bXnXnX");
  EXPECT_EQ(Replace(u"a", u"banana", u"X", false), u"bXnana");
}

TEST(RegexEngine, DeepSearchesOutgrowingTheJitStackStillMatch) {
  std::u16string subject(200000, u'a');
  EXPECT_EQ(Find(u"(a|b)*$", subject, false), (Spans{{0, 200000}}));
}

TEST(RegexEngine, InvalidAndCatastrophicPatternsFail) {
  EXPECT_EQ(Find(u"(", u"abc"), (Spans{{999, 999}}));
  EXPECT_EQ(Replace(u"a{2,1}", u"aa", u"x"), u"<failed>");
  // Exponential backtracking hits the match limit instead of running for ages.
  for (size_t length : {40, 20000}) {
    std::u16string subject(length, u'a');
    subject += u'!';
    EXPECT_EQ(Find(u"(a+)+$", subject), (Spans{{999, 999}})) << length;
    EXPECT_EQ(Find(u"(\\w+\\s?)+$", subject), (Spans{{999, 999}})) << length;
  }
}

}  // namespace
