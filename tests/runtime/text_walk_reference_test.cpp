// The fast searches (memchr/memmem plus a boundary check) against a plain
// character-by-character walk, on random texts full of lead bytes and of
// ASCII bytes that are also valid trail bytes.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/core_commands.h"

namespace {

bool IsLead(char c) {
  return (static_cast<unsigned char>(c) & 0x80) != 0;
}

// The walk as described for the search family: compare at each character start,
// step two bytes over a lead byte, stop at a lead byte before the end.
int32_t ReferenceFind(const std::string& s, const std::string& sought, size_t from) {
  for (size_t pos = from; pos + sought.size() <= s.size();) {
    if (s.compare(pos, sought.size(), sought) == 0) return static_cast<int32_t>(pos + 1);
    if (IsLead(s[pos])) {
      if (pos + 1 >= s.size()) break;
      pos += 2;
    } else {
      ++pos;
    }
  }
  return -1;
}

std::vector<std::string> ReferenceSplit(const std::string& s, const std::string& delimiter) {
  std::vector<std::string> members;
  size_t last = 0, pos = 0;
  while (pos + delimiter.size() <= s.size()) {
    if (s.compare(pos, delimiter.size(), delimiter) == 0) {
      members.push_back(s.substr(last, pos - last));
      pos = last = pos + delimiter.size();
    } else if (IsLead(s[pos])) {
      if (pos + 1 >= s.size()) break;
      pos += 2;
    } else {
      ++pos;
    }
  }
  if (last < s.size()) members.push_back(s.substr(last));
  return members;
}

std::string ReferenceReplace(const std::string& s, const std::string& find,
                             const std::string& replacement) {
  std::string out;
  size_t pos = 0;
  while (pos + find.size() <= s.size()) {
    if (s.compare(pos, find.size(), find) == 0) {
      out += replacement;
      pos += find.size();
    } else if (IsLead(s[pos])) {
      if (pos + 1 >= s.size()) return out;  // the lone lead byte is dropped
      out.append(s, pos, 2);
      pos += 2;
    } else {
      out += s[pos++];
    }
  }
  // The rest is shorter than `find`; walk it to drop a lone lead byte at the end.
  while (pos < s.size()) {
    if (IsLead(s[pos])) {
      if (pos + 1 >= s.size()) break;
      out.append(s, pos, 2);
      pos += 2;
    } else {
      out += s[pos++];
    }
  }
  return out;
}

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
    size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
    int32_t expected = from < s.size() ? ReferenceFind(s, sought, from) : -1;
    ASSERT_EQ(rt::FindText(s, sought, start), expected) << "round " << round;

    rt::TextArray parts = rt::SplitText(s, sought);
    std::vector<std::string> members;
    for (int32_t i = 1; i <= parts.size(); ++i) members.emplace_back(parts.ViewAt(i));
    ASSERT_EQ(members, ReferenceSplit(s, sought)) << "round " << round;

    ASSERT_EQ(rt::ReplaceText(s, sought, std::string("<>"), {}, {}, true).str(),
              ReferenceReplace(s, sought, "<>"))
        << "round " << round;
  }
}

}  // namespace
