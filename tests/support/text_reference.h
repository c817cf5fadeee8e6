// Plain, slow forms of the GBK-walking text commands, written straight from
// their rules, for the tests and the fuzz targets to hold the real commands
// against. Each walks the text one character at a time: a byte with the top
// bit set and the byte after it are one character; such a byte with nothing
// after it is a lone lead byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace reference {

inline bool IsLead(char c) {
  return (static_cast<unsigned char>(c) & 0x80) != 0;
}

inline char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The bytes of `text` at `pos` against `sought`: exact, or with ASCII letters
// folded where the text has single-byte characters (two-byte characters of the
// text always compare exactly).
inline bool MatchesAt(std::string_view text, size_t pos, std::string_view sought, bool exact) {
  if (pos + sought.size() > text.size()) return false;
  if (exact) return text.substr(pos, sought.size()) == sought;
  for (size_t i = 0; i < sought.size(); ++i) {
    char here = text[pos + i];
    if (IsLead(here)) {
      if (here != sought[i]) return false;
      if (i + 1 < sought.size() && text[pos + i + 1] != sought[i + 1]) return false;
      ++i;
    } else if (FoldAscii(here) != FoldAscii(sought[i])) {
      return false;
    }
  }
  return true;
}

// The byte count of the character at `pos`; 0 for a lone lead byte.
inline size_t CharacterSize(std::string_view text, size_t pos) {
  if (!IsLead(text[pos])) return 1;
  return pos + 1 < text.size() ? 2 : 0;
}

// The characters of `text` from its start, a lone lead byte at the end left out.
inline std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t pos = 0; pos < text.size();) {
    size_t size = CharacterSize(text, pos);
    if (size == 0) break;
    characters.push_back(text.substr(pos, size));
    pos += size;
  }
  return characters;
}

inline bool IsSpace(std::string_view character) {
  return character == " " || character == "\xA1\xA1";
}

inline int32_t FindText(std::string_view s, std::string_view sought, int32_t start,
                        bool ignore_case) {
  size_t p = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  std::string_view searched = p < s.size() ? s.substr(p) : std::string_view();
  if (sought.empty()) return searched.empty() ? -1 : 1;
  for (size_t pos = p; pos + sought.size() <= s.size();) {
    if (MatchesAt(s, pos, sought, !ignore_case)) return static_cast<int32_t>(pos + 1);
    size_t size = CharacterSize(s, pos);
    if (size == 0) break;
    pos += size;
  }
  return -1;
}

inline std::string ReplaceText(std::string_view s, std::string_view find,
                               std::string_view replacement, int32_t start, int32_t count,
                               bool exact) {
  size_t p = start > 1 ? static_cast<size_t>(start) - 1 : 0;
  if (s.empty() || find.empty() || p >= s.size() || count == 0) return std::string(s);
  std::string out(s.substr(0, p));
  size_t pos = p;
  while (count != 0 && pos + find.size() <= s.size()) {
    if (MatchesAt(s, pos, find, exact)) {
      out += replacement;
      pos += find.size();
      if (count != -1) --count;
      continue;
    }
    size_t size = CharacterSize(s, pos);
    if (size == 0) return out;
    out += s.substr(pos, size);
    pos += size;
  }
  for (std::string_view character : Characters(s.substr(pos))) out += character;
  return out;
}

// Members as texts; a null member reads as "". Without a maximum there is no
// limit; a given negative one counts as 0.
inline std::vector<std::string> SplitText(std::string_view s, std::string_view delimiter,
                                          std::optional<int32_t> given_maximum) {
  std::vector<std::string> members;
  int32_t maximum = given_maximum ? std::max(*given_maximum, 0) : -1;
  if (s.empty() || maximum == 0) return members;
  if (delimiter.empty()) return {std::string(s)};
  size_t last = 0, pos = 0;
  while (pos + delimiter.size() <= s.size()) {
    if (s.substr(pos, delimiter.size()) == delimiter) {
      members.emplace_back(s.substr(last, pos - last));
      pos = last = pos + delimiter.size();
      if (maximum != -1 && --maximum == 0) return members;
      continue;
    }
    size_t size = CharacterSize(s, pos);
    if (size == 0) break;
    pos += size;
  }
  if (last < s.size()) members.emplace_back(s.substr(last));
  return members;
}

inline std::string TrimSpaces(std::string_view s) {
  std::vector<std::string_view> characters = Characters(s);
  size_t begin = 0, end = characters.size();
  while (begin < end && IsSpace(characters[begin])) ++begin;
  while (end > begin && IsSpace(characters[end - 1])) --end;
  std::string out;
  for (size_t i = begin; i < end; ++i) out += characters[i];
  return out;
}

inline std::string RemoveSpaces(std::string_view s) {
  std::string out;
  for (std::string_view character : Characters(s)) {
    if (!IsSpace(character)) out += character;
  }
  return out;
}

// Full-width digits, letters and signs made half-width, then the leading
// decimal number after white space, wrapping modulo 2^32 (modulo 2^64 for the
// 64-bit reading of a volume).
template <typename Unsigned = uint32_t>
inline std::make_signed_t<Unsigned> ToInteger(std::string_view s) {
  std::string half;
  for (std::string_view c : Characters(s)) {
    auto lead = static_cast<unsigned char>(c[0]);
    auto trail = c.size() == 2 ? static_cast<unsigned char>(c[1]) : 0;
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      half += static_cast<char>(trail & 0x7F);
    } else if (lead == 0xA1 && trail == 0xA1) {
      half += ' ';
    } else if (lead == 0xA1 && trail == 0xAB) {
      half += '~';
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      half += '*';
    } else {
      half += c;
    }
  }
  size_t i = 0;
  while (i < half.size() && (half[i] == ' ' || (half[i] >= '\t' && half[i] <= '\r'))) ++i;
  bool negative = i < half.size() && half[i] == '-';
  if (i < half.size() && (half[i] == '-' || half[i] == '+')) ++i;
  Unsigned value = 0;
  for (; i < half.size() && half[i] >= '0' && half[i] <= '9'; ++i) {
    value = static_cast<Unsigned>(value * 10 + static_cast<Unsigned>(half[i] - '0'));
  }
  return static_cast<std::make_signed_t<Unsigned>>(negative ? Unsigned{0} - value : value);
}

}  // namespace reference
