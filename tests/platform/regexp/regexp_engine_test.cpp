#include "platform/regexp/regexp_engine.h"

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
  const Spans invalid{{999, 999}};
  const struct {
    std::u16string_view pattern;
    std::u16string subject;
    Spans expected;
  } cases[] = {
      {u"\\v", u"\n\x0B", {{1, 1}}},
      {u"\\u0041\\x42\\x4g\\cJ\\c1", u"xABx4g\nc1", {{1, 8}}},
      {u"\\q\\z\\Q.\\E\\8", u"qzQ-E8", {{0, 6}}},  // backslash and a plain character
      {u"\\b\\d\\s\\W\\f\\r\\t", u" 1 -\f\r\t", {{1, 6}}},
      {u"(a)?b\\1", u"b", {{0, 1}}},  // an unset group matches empty
      {u"(a)\\1", u"aa", {{0, 2}}},
      {u"(a)\\2", u"a\x02", {{0, 2}}},  // fewer groups than the number: octal
      {u"\\1(a)",
       u"\x01"
       u"a",
       {{0, 2}}},                      // groups count as they open
      {u"(a)\\12", u"aa2", {{0, 3}}},  // group 1, then the digit 2
      {u"\\101\\0b\\477", std::u16string(u"A\0b\x27\x37", 5), {{0, 5}}},
      {u"[]a]", u"]a", {{0, 1}, {1, 1}}},  // "]" first in a class is a member
      {u"[^]a]+", u"]ab", {{2, 1}}},
      {u"[\\b\\B-][a-\\d]", u"\bB-x", {{1, 2}}},
      {u"a[]", u"a]", invalid},
      {u"a[^]b", u"a\nb", invalid},
      {u"[z-a]", u"a", invalid},
      {u"(?:a)(?=b)(?!c)b{1,2}?a*?", u"abb", {{0, 2}}},
      {u"<meta.+?charset=[^\\w]?([-\\w]+)", u"<meta content=\"charset=gbk\">", {{0, 26}}},
      {u"\\w+", u"股票ab", {{2, 2}}},  // word characters are ASCII
      {u"a{1,x}{", u"a{1,x}{", {{0, 7}}},
      // What the syntax does not have.
      {u"(?<=a)b", u"ab", invalid},
      {u"(?<!a)b", u"b", invalid},
      {u"(?<n>a)", u"a", invalid},
      {u"(?P<n>a)", u"a", invalid},
      {u"(?>a)", u"a", invalid},
      {u"a++", u"a", invalid},
      {u"a*+", u"a", invalid},
      {u"a{2}+", u"aa", invalid},
      {u"a??+", u"a", invalid},
      {u"(?i)a", u"a", invalid},
      {u"(?i:a)", u"a", invalid},
      {u"(*UCP)a", u"a", invalid},
      {u"*a", u"a", invalid},
      {u"a\\", u"a", invalid},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Find(c.pattern, c.subject), c.expected)
        << std::string(c.pattern.begin(), c.pattern.end());
  }
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
  // Exponential backtracking hits the search's limits instead of running for ages.
  for (size_t length : {40, 20000}) {
    std::u16string subject(length, u'a');
    subject += u'!';
    EXPECT_EQ(Find(u"(a+)+$", subject), (Spans{{999, 999}})) << length;
    EXPECT_EQ(Find(u"(\\w+\\s?)+$", subject), (Spans{{999, 999}})) << length;
  }
}

TEST(RegexEngine, ASearchHasOneStepBudgetAndBoundedMemory) {
  // Each run costs a few million steps: under any limit that starts afresh at
  // every start position or every match, this search runs for minutes.
  std::u16string runs;
  for (int run = 0; run < 40000; ++run) runs += u"aaaaaaaaaaaaaaaaaaa!";
  EXPECT_EQ(Find(u"(a+)+$", runs, false), (Spans{{999, 999}}));
  EXPECT_EQ(Find(u"(a+)+$|!", runs), (Spans{{999, 999}}));
  EXPECT_EQ(Replace(u"(a+)+$|!", runs, u"x"), u"<failed>");
  // Backtracking over many groups would hold some hundreds of MiB.
  std::u16string many_groups = u"((a|b)";
  for (int group = 0; group < 30; ++group) many_groups += u"()";
  many_groups += u")*$";
  EXPECT_EQ(Find(many_groups, std::u16string(10000, u'a')), (Spans{{999, 999}}));
}

}  // namespace
