#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/app_routines.h"
#include "runtime/call_frame.h"
#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"

namespace {

using test::Gbk;
using test::kLetterTrail;
using test::kTildeTrail;

// Members of a split result; null members read as "(null)".
std::vector<std::string> Members(const rt::TextArray& array) {
  std::vector<std::string> members;
  for (int32_t i = 1; i <= array.size(); ++i) {
    const char* member = array.At(i);
    members.push_back(member ? std::string(member) : "(null)");
  }
  return members;
}

using Strings = std::vector<std::string>;

TEST(ReplaceText, CountStartAndCase) {
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+")).view(), "a+b+c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), {}, 1).view(), "a+b-c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), 3).view(), "a-b+c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), 6).view(), "a-b-c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), INT32_MAX).view(), "a-b-c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), INT32_MIN).view(), "a+b+c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), {}, 0).view(), "a-b-c");
  EXPECT_EQ(rt::ReplaceText("a-b-c", "-", std::string("+"), {}, -7).view(), "a+b+c");
  // Omitted case flag and false both ignore case; true is exact.
  EXPECT_EQ(rt::ReplaceText("SET-COOKIE: x", "Set-Cookie", std::string("Set-Cookie")).view(),
            "Set-Cookie: x");
  EXPECT_EQ(rt::ReplaceText("SET-COOKIE: x", "Set-Cookie:", {}, {}, {}, false).view(), " x");
  EXPECT_EQ(rt::ReplaceText("SET-COOKIE: x", "Set-Cookie:", {}, {}, {}, true).view(),
            "SET-COOKIE: x");
}

TEST(ReplaceText, EmptyResultsAndArguments) {
  EXPECT_EQ(rt::ReplaceText("---", "-").get(), nullptr);  // omitted replacement deletes
  EXPECT_EQ(rt::ReplaceText(nullptr, "-").get(), nullptr);
  EXPECT_EQ(rt::ReplaceText("abc", nullptr, std::string("x")).view(), "abc");
  EXPECT_EQ(rt::ReplaceText("abc", "b", rt::TextRef(nullptr)).view(), "ac");
  std::string argument = "keep";
  rt::Text copy = rt::ReplaceText(argument, "zz");
  EXPECT_EQ(copy.view(), "keep");
  EXPECT_NE(copy.get(), argument.c_str());
  EXPECT_EQ(argument, "keep");
}

TEST(ReplaceText, StepsOverTwoByteCharacters) {
  std::string s = kTildeTrail + "~" + Gbk("#引号") + kLetterTrail + "a";
  std::string expected = kTildeTrail + "!" + "\"" + kLetterTrail + "A";
  rt::Text step1 = rt::ReplaceText(s, "~", std::string("!"), {}, {}, true);
  rt::Text step2 = rt::ReplaceText(step1, Gbk("#引号"), std::string("\""), {}, {}, true);
  EXPECT_EQ(rt::ReplaceText(step2, "a", std::string("A"), {}, {}, true).view(), expected);
  // The first p bytes are copied as they are, even half a character.
  EXPECT_EQ(rt::ReplaceText(kTildeTrail + "~", "~", std::string("-"), 2).view(), "\x81--");
}

TEST(ReplaceText, DropsALoneLeadByteAtTheEnd) {
  EXPECT_EQ(rt::ReplaceText("a-b\xB0", "-", std::string("+")).view(), "a+b");
  EXPECT_EQ(rt::ReplaceText("a-b\xB0", "-", std::string("+"), {}, 1, true).view(), "a+b");
  // A final lead-range byte that is a trail byte stays.
  std::string whole = "a-" + Gbk("中");
  EXPECT_EQ(rt::ReplaceText(whole, "-", std::string("+"), {}, {}, true).view(), "a+" + Gbk("中"));
  // The whole text is copied unchanged when nothing may be replaced.
  EXPECT_EQ(rt::ReplaceText("ab\xB0", "-", std::string("+"), {}, 0).view(), "ab\xB0");
}

TEST(SplitText, EmptyPiecesAndTrailingDelimiter) {
  EXPECT_EQ(Members(rt::SplitText("a,,b,")), (Strings{"a", "(null)", "b"}));
  EXPECT_EQ(Members(rt::SplitText(",a")), (Strings{"(null)", "a"}));
  EXPECT_EQ(Members(rt::SplitText("a~b~c", std::string("~"), 2)), (Strings{"a", "b"}));
  EXPECT_EQ(Members(rt::SplitText("abc", std::string("~"), 1)), (Strings{"abc"}));
  EXPECT_EQ(Members(rt::SplitText("a\r\nb\r\n\r\nc", std::string("\r\n"))),
            (Strings{"a", "b", "(null)", "c"}));
}

TEST(SplitText, MaximumAndDelimiterDefaults) {
  EXPECT_EQ(rt::SplitText("a,b", std::string(","), 0).size(), 0);
  EXPECT_EQ(rt::SplitText("a,b", std::string(","), -1).size(), 0);  // given negative counts as 0
  EXPECT_EQ(rt::SplitText("a,b", std::string(","), INT32_MIN).size(), 0);
  EXPECT_EQ(Members(rt::SplitText("a,b", std::string(","), INT32_MAX)), (Strings{"a", "b"}));
  EXPECT_EQ(Members(rt::SplitText("a,b", rt::TextRef(nullptr))), (Strings{"a,b"}));
  EXPECT_EQ(rt::SplitText("").size(), 0);
  EXPECT_EQ(rt::SplitText(nullptr, std::string("")).size(), 0);
}

TEST(SplitText, NeverCutsInsideACharacter) {
  std::string s = kTildeTrail + "~" + Gbk("中文") + "~~x";
  EXPECT_EQ(Members(rt::SplitText(s, std::string("~"))),
            (Strings{kTildeTrail, Gbk("中文"), "(null)", "x"}));
  // A lone lead byte ends the walk and stays in the last member.
  EXPECT_EQ(Members(rt::SplitText("a~b\xB0", std::string("~"))), (Strings{"a", "b\xB0"}));
}

TEST(SplitText, ResultIsAOneDimensionalArrayOfNewBlocks) {
  std::string s = "x;y";
  rt::TextArray parts = rt::SplitText(s, std::string(";"));
  int32_t header[2];
  std::memcpy(header, parts.get(), sizeof header);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 2);
  EXPECT_NE(parts.At(1), s.c_str());
  EXPECT_EQ(s, "x;y");
  // An empty result is still a private block, not the constant empty array.
  rt::TextArray none = rt::SplitText("", std::string(";"));
  EXPECT_FALSE(rt::InConstantPool(none.get()));
}

TEST(SplitText, LargeResultsKeepEveryMemberAndFreeCleanly) {
  // Enough members that the array block is large (freed ahead of its members).
  std::string s;
  for (int i = 1; i <= 20000; ++i) s += (i % 3 == 0 ? std::string() : std::to_string(i)) + "~";
  for (int round = 0; round < 2; ++round) {
    rt::TextArray parts = rt::SplitText(s, std::string("~"));
    ASSERT_EQ(parts.size(), 20000);
    EXPECT_EQ(parts.ViewAt(1), "1");
    EXPECT_EQ(parts.At(3), nullptr);
    EXPECT_EQ(parts.ViewAt(19999), "19999");
    EXPECT_EQ(parts.ViewAt(20000), "20000");
  }
}

TEST(SplitText, OmittedRecordsTakeTheDefaults) {
  rt::ValueRecord args[3] = {rt::ValueRecord::Text("p,q")};
  rt::PushOmittedArgs(args + 1, 2);
  rt::TextArray parts(reinterpret_cast<void*>(
      static_cast<uintptr_t>(rt::CallCommand(rt::cmd::SplitText, args, 3).value)));
  EXPECT_EQ(Members(parts), (Strings{"p", "q"}));
  // A short argument list is treated like omitted records.
  rt::TextArray one(reinterpret_cast<void*>(
      static_cast<uintptr_t>(rt::CallCommand(rt::cmd::SplitText, args, 1).value)));
  EXPECT_EQ(Members(one), (Strings{"p", "q"}));
}

}  // namespace
