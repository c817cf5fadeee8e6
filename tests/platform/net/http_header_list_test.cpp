#include "http_header_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::net::HeaderList;
using platform::net::kAdd;
using platform::net::kAddIfNew;
using platform::net::kReplace;

std::string Lines(const HeaderList& list) {
  std::string text;
  for (const auto& field : list.fields()) text += field.name + "=" + field.value + "|";
  return text;
}

TEST(HttpHeaderListTest, TextIsCutAtLineBreaksAndValuesLoseLeadingSpace) {
  HeaderList list;
  ASSERT_EQ(list.Apply("A: 1\r\n\r\nWarning:test1\nB:\r\r\nC:   x y  ", kAdd), 0u);
  EXPECT_EQ(Lines(list), "A=1|Warning=test1|B=|C=x y|");
}

TEST(HttpHeaderListTest, MalformedLinesFailAndChangeNothing) {
  for (const char* bad : {":", ":b", "cd", " e :f", "a b: c", "x(y): z", "\x01: y"}) {
    HeaderList list;
    ASSERT_EQ(list.Apply("Keep: 1", kAdd), 0u);
    EXPECT_EQ(list.Apply(std::string("New: 2\r\n") + bad, kAdd), platform::net::kInvalidHeader)
        << bad;
    EXPECT_EQ(Lines(list), "Keep=1|") << bad;
  }
}

TEST(HttpHeaderListTest, AddReplaceMovesOrRemovesTheFirstOccurrence) {
  HeaderList list;
  ASSERT_EQ(list.Apply("Accept: a\r\nCookie: c=1\r\naccept: b\r\nX: 1", kAdd), 0u);
  ASSERT_EQ(list.Apply("ACCEPT: new", kAdd | kReplace), 0u);
  EXPECT_EQ(Lines(list), "Cookie=c=1|accept=b|X=1|ACCEPT=new|");
  ASSERT_EQ(list.Apply("cookie:", kAdd | kReplace), 0u);  // an empty value only removes
  EXPECT_EQ(Lines(list), "accept=b|X=1|ACCEPT=new|");
  ASSERT_EQ(list.Apply("Absent: v", kAdd | kReplace), 0u);
  EXPECT_EQ(Lines(list), "accept=b|X=1|ACCEPT=new|Absent=v|");
}

TEST(HttpHeaderListTest, ModifiersWithoutAddRefuseWhatIsNotThereOrAlreadyIs) {
  HeaderList list;
  EXPECT_EQ(list.Apply("Missing: v", kReplace), platform::net::kHeaderNotFound);
  ASSERT_EQ(list.Apply("X: 1", kAdd), 0u);
  ASSERT_EQ(list.Apply("X: 2", kAdd), 0u);  // ADD alone duplicates
  EXPECT_EQ(list.Apply("x: 3", kAddIfNew), platform::net::kHeaderAlreadyExists);
  EXPECT_EQ(Lines(list), "X=1|X=2|");
}

}  // namespace
