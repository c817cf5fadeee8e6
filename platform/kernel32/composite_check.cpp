#include "composite_check.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <bitset>
#include <cstdint>

namespace platform {
namespace {

// Every BMP character that can combine with the one before it lies in
// U+0300..U+1B35 or is U+3099/U+309A (the kana voicing marks), so most text,
// ASCII and CJK alike, is ruled out by two range tests.
inline bool InMarkRange(char16_t c) {
  return static_cast<uint16_t>(c - 0x0300) < 0x1836 || static_cast<uint16_t>(c - 0x3099) < 2;
}

const std::bitset<0x10000>& Marks() {
  static const std::bitset<0x10000> marks = [] {
    std::bitset<0x10000> set;
    for (UChar32 c = 0; c < 0x10000; ++c) {
      if (InMarkRange(static_cast<char16_t>(c)) &&
          u_getIntPropertyValue(c, UCHAR_NFC_QUICK_CHECK) == UNORM_MAYBE) {
        set.set(static_cast<size_t>(c));
      }
    }
    return set;
  }();
  return marks;
}

inline bool IsMark(char16_t c) {
  return InMarkRange(c) && Marks()[c];
}

// A range hit anywhere in units [0, count), tested bitwise and branch-free so
// that the loop is vectorised.
inline bool AnyInMarkRange(const char16_t* units, size_t count) {
  uint16_t any = 0;
  for (size_t j = 0; j < count; ++j) {
    uint16_t c = units[j];
    any |= static_cast<uint16_t>(static_cast<uint16_t>(c - 0x0300) < 0x1836) |
           static_cast<uint16_t>(static_cast<uint16_t>(c - 0x3099) < 2);
  }
  return any != 0;
}

constexpr size_t kBlock = 64;

// The first mark at index `from` or later, or text.size().
size_t FindMark(std::u16string_view text, size_t from) {
  size_t i = from;
  for (; i + kBlock <= text.size(); i += kBlock) {
    if (!AnyInMarkRange(text.data() + i, kBlock)) continue;
    for (size_t j = 0; j < kBlock; ++j) {
      if (IsMark(text[i + j])) return i + j;
    }
  }
  for (; i < text.size(); ++i) {
    if (IsMark(text[i])) return i;
  }
  return text.size();
}

}  // namespace

bool ComposeMarks(std::u16string_view text, std::u16string& composed) {
  // A mark at index 0 has nothing to join.
  size_t first = FindMark(text, 1);
  if (first >= text.size()) return false;
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  if (U_FAILURE(error)) return false;
  composed.assign(text.substr(0, first));
  for (size_t i = first; i < text.size(); ++i) {
    char16_t c = text[i];
    if (IsMark(c) && !composed.empty() && !U16_IS_SURROGATE(composed.back())) {
      UChar32 pair = unorm2_composePair(nfc, composed.back(), c);
      if (pair >= 0 && pair <= 0xFFFF) {
        composed.back() = static_cast<char16_t>(pair);
        continue;
      }
    }
    composed.push_back(c);
  }
  return true;
}

bool CopyAndCheckForMarks(std::u16string_view text, char16_t* copy) {
  // One branch-free pass over the whole text, which the compiler vectorises
  // into about the cost of the copy alone; only a text with a unit in the
  // marks' ranges is then searched for a mark that really combines.
  uint16_t any = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    uint16_t c = text[i];
    copy[i] = c;
    any |= static_cast<uint16_t>(static_cast<uint16_t>(c - 0x0300) < 0x1836) |
           static_cast<uint16_t>(static_cast<uint16_t>(c - 0x3099) < 2);
  }
  return any != 0 && FindMark(text, 1) < text.size();
}

}  // namespace platform
