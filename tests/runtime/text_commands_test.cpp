#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "runtime/call_frame.h"
#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "tests/support/gbk_literals.h"

namespace {

using test::Gbk;
using test::kFullWidthSpace;
using test::kLetterTrail;
using test::kTildeTrail;

TEST(TextSlicing, MiddleStartsAtOneAndStartZeroIsEmpty) {
  std::string s = "abcdef";
  EXPECT_EQ(rt::TextMiddle(s, 0, 3).get(), nullptr);
  EXPECT_EQ(rt::TextMiddle(s, 1, 3).view(), "abc");
  EXPECT_EQ(rt::TextMiddle(s, 6, 3).view(), "f");  // start = length gives the last byte
  EXPECT_EQ(rt::TextMiddle(s, 7, 3).get(), nullptr);
  EXPECT_EQ(rt::TextMiddle(s, 2, 0).get(), nullptr);
  EXPECT_EQ(rt::TextMiddle(s, 3, INT32_MAX).view(), "cdef");
  EXPECT_EQ(rt::TextMiddle(s, INT32_MIN, 3).get(), nullptr);
  EXPECT_EQ(rt::TextMiddle(s, INT32_MAX, 3).get(), nullptr);
  EXPECT_EQ(rt::TextMiddle(nullptr, 1, 3).get(), nullptr);
}

TEST(TextSlicing, LeftAndRightClampTheCount) {
  std::string s = "abcdef";
  EXPECT_EQ(rt::TextLeft(s, 2).view(), "ab");
  EXPECT_EQ(rt::TextLeft(s, 100).view(), "abcdef");
  EXPECT_EQ(rt::TextLeft(s, INT32_MAX).view(), "abcdef");
  EXPECT_EQ(rt::TextLeft(s, 0).get(), nullptr);
  EXPECT_EQ(rt::TextLeft(s, INT32_MIN).get(), nullptr);
  EXPECT_EQ(rt::TextRight(s, 2).view(), "ef");
  EXPECT_EQ(rt::TextRight(s, INT32_MAX).view(), "abcdef");
  EXPECT_EQ(rt::TextRight(s, -1).get(), nullptr);
  EXPECT_EQ(rt::TextRight(s, INT32_MIN).get(), nullptr);
  EXPECT_EQ(rt::TextRight("", 3).get(), nullptr);
}

TEST(TextSlicing, CountsBytesAndMayCutACharacter) {
  std::string s = Gbk("中文");
  EXPECT_EQ(rt::TextLength(s), 4);
  EXPECT_EQ(rt::TextLeft(s, 1).view(), s.substr(0, 1));
  EXPECT_EQ(rt::TextRight(s, 3).view(), s.substr(1));
  EXPECT_EQ(rt::TextMiddle(s, 2, 2).view(), s.substr(1, 2));
}

TEST(TextSlicing, ResultIsANewBlockAndTheArgumentIsUntouched) {
  std::string s = "hello";
  rt::Text left = rt::TextLeft(s, 5);
  EXPECT_NE(left.get(), s.c_str());
  EXPECT_FALSE(rt::InConstantPool(left.get()));
  EXPECT_EQ(s, "hello");
  EXPECT_EQ(rt::TextLength(rt::EmptyText()), 0);
}

TEST(FindText, EmptySoughtTextDependsOnlyOnTheSearchedPart) {
  std::string ten = "0123456789";
  EXPECT_EQ(rt::FindText(ten, "", 5), 1);
  EXPECT_EQ(rt::FindText(ten, ""), 1);
  EXPECT_EQ(rt::FindText(ten, "", 11), -1);
  EXPECT_EQ(rt::FindText("", ""), -1);
  EXPECT_EQ(rt::FindText(nullptr, nullptr), -1);
}

TEST(FindText, PositionsAreWithinTheWholeText) {
  std::string s = "abcabc";
  EXPECT_EQ(rt::FindText(s, "bc"), 2);
  EXPECT_EQ(rt::FindText(s, "bc", 3), 5);
  EXPECT_EQ(rt::FindText(s, "bc", 6), -1);
  EXPECT_EQ(rt::FindText(s, "bc", INT32_MIN), 2);
  EXPECT_EQ(rt::FindText(s, "bc", INT32_MAX), -1);
  EXPECT_EQ(rt::FindText(s, "abcabcx"), -1);
  EXPECT_EQ(rt::FindText(s, "c", 0), 3);
}

TEST(FindText, NeverMatchesOnATrailByte) {
  std::string s = kTildeTrail + "x~" + kLetterTrail + "a";
  EXPECT_EQ(rt::FindText(s, "~"), 4);
  EXPECT_EQ(rt::FindText(s, "a"), 7);
  EXPECT_EQ(rt::FindText(kTildeTrail, "~"), -1);
  // A run of two-byte characters whose trail bytes are lead-range bytes.
  std::string chinese = Gbk("中文中");
  EXPECT_EQ(rt::FindText(chinese, chinese.substr(1, 2)), -1);
  EXPECT_EQ(rt::FindText(chinese, chinese.substr(2, 2)), 3);
  // The walk starts at the start position, even inside a character.
  EXPECT_EQ(rt::FindText(kTildeTrail + "~", "~", 2), 2);
}

TEST(FindText, LoneLeadByteAtTheEnd) {
  std::string s = "ab\xB0";
  EXPECT_EQ(rt::FindText(s, "\xB0"), 3);
  EXPECT_EQ(rt::FindText(s, "x"), -1);
  EXPECT_EQ(rt::FindText(s, "\xB0", 1, true), 3);
  EXPECT_EQ(rt::FindText(s, "B", 1, true), 2);
}

TEST(FindText, IgnoresCaseOnlyForTheValueOne) {
  std::string s = "Accept: text";
  EXPECT_EQ(rt::FindText(s, "ACCEPT: ", 1, true), 1);
  EXPECT_EQ(rt::FindText(s, "ACCEPT: ", 1, false), -1);
  EXPECT_EQ(rt::FindText(s, "ACCEPT: "), -1);
  rt::ValueRecord args[] = {rt::ValueRecord::Text(s.c_str()), rt::ValueRecord::Text("ACCEPT"),
                            rt::ValueRecord::Int(1), rt::ValueRecord::Of(rt::type::Bool, 2)};
  EXPECT_EQ(static_cast<int32_t>(rt::CallCommand(rt::cmd::FindText, args, 4).value), -1);
  args[3] = rt::ValueRecord::Of(rt::type::Bool, 1);
  EXPECT_EQ(static_cast<int32_t>(rt::CallCommand(rt::cmd::FindText, args, 4).value), 1);
}

TEST(FindText, IgnoringCaseKeepsTwoByteCharactersExact) {
  // "a" inside a character must not match "A", and the trail byte "a" is not folded.
  std::string s = kLetterTrail + "xA";
  EXPECT_EQ(rt::FindText(s, "a", 1, true), 4);
  EXPECT_EQ(rt::FindText(s, "\xB0\x41", 1, true), -1);
  EXPECT_EQ(rt::FindText(Gbk("中文Key"), Gbk("文k"), 1, true), 3);
}

TEST(TrimSpaces, RemovesAsciiAndFullWidthSpacesAtBothEnds) {
  std::string s = kFullWidthSpace + " a" + kFullWidthSpace + "b\t " + kFullWidthSpace;
  EXPECT_EQ(rt::TrimSpaces(s).view(), "a" + kFullWidthSpace + "b\t");
  EXPECT_EQ(rt::TrimSpaces(" \t x\t ").view(), "\t x\t");
  EXPECT_EQ(rt::TrimSpaces("   ").get(), nullptr);
  EXPECT_EQ(rt::TrimSpaces(nullptr).get(), nullptr);
}

TEST(TrimSpaces, StepsOverCharactersAndDropsALoneLeadByte) {
  // "\xA1" then "\xA1" split across two characters is not a full-width space.
  std::string s = "\xB0\xA1\xA1\x41";
  EXPECT_EQ(rt::TrimSpaces(s).view(), s);
  EXPECT_EQ(rt::TrimSpaces("ab\xB0").view(), "ab");
  EXPECT_EQ(rt::TrimSpaces("ab  \xB0").view(), "ab");
  std::string argument = " x ";
  rt::Text trimmed = rt::TrimSpaces(argument);
  EXPECT_EQ(argument, " x ");
}

TEST(RemoveSpaces, KeepsEveryOtherCharacter) {
  std::string s = " a " + kFullWidthSpace + Gbk("中") + "\xA1\xA2 b\t\xB0";
  EXPECT_EQ(rt::RemoveSpaces(s).view(), "a" + Gbk("中") + "\xA1\xA2" + "b\t");
  EXPECT_EQ(rt::RemoveSpaces(" " + kFullWidthSpace).get(), nullptr);
  EXPECT_EQ(rt::RemoveSpaces("\xB0 ").view(), "\xB0 ");  // " " is the trail byte here
}

TEST(CompareText, FoldsAsciiOnlyWhenCaseInsensitive) {
  EXPECT_EQ(rt::CompareText("Set-Cookie", "set-cookie", false), 0);
  EXPECT_NE(rt::CompareText("Set-Cookie", "set-cookie", true), 0);
  EXPECT_LT(rt::CompareText("abc", "abd", true), 0);
  EXPECT_GT(rt::CompareText("abcd", "abc", true), 0);
  EXPECT_LT(rt::CompareText(nullptr, "a", true), 0);
  EXPECT_EQ(rt::CompareText(nullptr, "", true), 0);
  // Two-byte characters order after ASCII and compare exactly in both modes.
  EXPECT_GT(rt::CompareText(Gbk("中"), "z", false), 0);
  EXPECT_NE(rt::CompareText(kLetterTrail, "\xB0\x41", false), 0);
  EXPECT_LT(rt::CompareText(Gbk("文"), Gbk("中"), true), 0);  // CE C4 < D6 D0
}

}  // namespace
