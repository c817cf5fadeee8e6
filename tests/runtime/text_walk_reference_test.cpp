// The fast searches (memchr/memmem plus a boundary check) against a plain
// character-by-character walk, on random texts full of lead bytes and of
// ASCII bytes that are also valid trail bytes.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core_commands.h"
#include "tests/support/text_reference.h"

namespace {

std::string RandomText(std::mt19937& random, size_t max_size) {
  static const char kAlphabet[] = {'a', '~', '\x81', '\xB0', '\x7E', 'b', '\xA1'};
  std::uniform_int_distribution<size_t> size(0, max_size);
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 1);
  std::string text(size(random), ' ');
  for (char& c : text) c = kAlphabet[pick(random)];
  return text;
}

TEST(TextWalkReference, FindSplitAndReplaceAgreeWithTheCharacterWalk) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 20000; ++round) {
    std::string s = RandomText(random, 24);
    std::string sought = RandomText(random, 3);
    if (sought.empty()) sought = "~";
    int32_t start = static_cast<int32_t>(random() % (s.size() + 2));
    int32_t expected = reference::FindText(s, sought, start, false);
    ASSERT_EQ(rt::FindText(s, sought, start), expected) << "round " << round;

    rt::TextArray parts = rt::SplitText(s, sought);
    std::vector<std::string> members;
    for (int32_t i = 1; i <= parts.size(); ++i) members.emplace_back(parts.ViewAt(i));
    ASSERT_EQ(members, reference::SplitText(s, sought, std::nullopt)) << "round " << round;

    ASSERT_EQ(rt::ReplaceText(s, sought, std::string("<>"), {}, {}, true).str(),
              reference::ReplaceText(s, sought, "<>", 1, -1, true))
        << "round " << round;
  }
}

}  // namespace
