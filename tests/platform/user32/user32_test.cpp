#include "user32.h"

#include <gtest/gtest.h>

namespace {

TEST(CharNextATest, StepsOverWholeGbkCharacters) {
  const char* text =
      "a\xD6\xD0"
      "b\x80"
      "c";
  const char* p = CharNextA(text);
  EXPECT_EQ(p, text + 1);
  p = CharNextA(p);
  EXPECT_EQ(p, text + 3);  // over the two-byte character
  p = CharNextA(p);
  EXPECT_EQ(p, text + 4);
  p = CharNextA(p);
  EXPECT_EQ(p, text + 5);  // 0x80 is a character of its own
  p = CharNextA(p);
  EXPECT_EQ(p, text + 6);
  EXPECT_EQ(CharNextA(p), p);  // stays on the terminator
}

TEST(CharNextATest, LeadByteBeforeTheEndMovesOneByte) {
  const char* text = "\xD6";
  EXPECT_EQ(CharNextA(text), text + 1);
  EXPECT_EQ(CharNextA(nullptr), nullptr);
}

}  // namespace
