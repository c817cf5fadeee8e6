// Walking GBK text by characters: a byte with the top bit set starts a two-byte
// character, whatever follows it. Searching, replacing, splitting and trimming
// only match at the start of a character, so a trail byte that happens to equal
// an ASCII character (0x40..0x7E, "~" included) is never found.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace rt::walk {

inline bool IsLead(unsigned char byte) {
  return (byte & 0x80) != 0;
}
inline unsigned char FoldAscii(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 32) : byte;
}

// Whether `pos` starts a character of `text` when the walk starts at `anchor`
// (itself a character start, anchor <= pos). The byte before a run of lead-range
// bytes always ends a character, so only that run's length parity matters; the
// backward scan stops at the anchor, which keeps repeated checks linear when the
// caller moves the anchor forward. It looks at eight bytes at a time, since in
// Chinese text the run is often longer than a few bytes.
inline bool StartsCharacter(std::string_view text, size_t anchor, size_t pos) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = pos;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kTopBits = 0x8080808080808080ull;
    while (i > anchor && i >= 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i - 8, sizeof word);
      uint64_t plain = ~word & kTopBits;  // bytes that cannot be lead bytes
      // Bytes before the anchor count as plain: the anchor itself starts a character.
      if (i - 8 < anchor) plain |= ((uint64_t{1} << (8 * (anchor - (i - 8)))) - 1) & kTopBits;
      if (plain != 0) {
        i = i - 8 + static_cast<size_t>((63 - std::countl_zero(plain)) / 8) + 1;
        return ((pos - i) & 1) == 0;
      }
      i -= 8;
    }
  }
  while (i > anchor && IsLead(bytes[i - 1])) --i;
  return ((pos - i) & 1) == 0;
}

// The first `byte` at or after `from`, or npos.
inline size_t FindByte(std::string_view text, char byte, size_t from) {
  if (from >= text.size()) return std::string_view::npos;
  const void* hit = std::memchr(text.data() + from, byte, text.size() - from);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data())
             : std::string_view::npos;
}

// Byte-for-byte search that only accepts matches starting on a character,
// walking from `from` (a character start). Returns npos when there is none.
inline size_t FindExact(std::string_view text, std::string_view sought, size_t from) {
  size_t anchor = from;
  size_t pos = from;
  while (pos + sought.size() <= text.size()) {
    size_t candidate;
    if (sought.size() == 1) {
      candidate = FindByte(text, sought[0], pos);
      if (candidate == std::string_view::npos) return candidate;
    } else {
      candidate = text.find(sought, pos);
      if (candidate == std::string_view::npos) return candidate;
    }
    if (StartsCharacter(text, anchor, candidate)) return candidate;
    // The candidate is a trail byte, so the byte after it starts a character.
    anchor = pos = candidate + 1;
  }
  return std::string_view::npos;
}

// Compares `sought` with the bytes of `text` at `pos` ignoring the case of ASCII
// letters; two-byte characters of the text compare exactly.
inline bool MatchesIgnoringCase(std::string_view text, size_t pos, std::string_view sought) {
  const auto* here = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const auto* want = reinterpret_cast<const unsigned char*>(sought.data());
  size_t n = sought.size();
  for (size_t i = 0; i < n;) {
    if (IsLead(here[i])) {
      if (here[i] != want[i]) return false;
      if (i + 1 < n && here[i + 1] != want[i + 1]) return false;
      i += 2;
    } else {
      if (FoldAscii(here[i]) != FoldAscii(want[i])) return false;
      ++i;
    }
  }
  return true;
}

// Case-insensitive counterpart of FindExact, walking character by character.
// A lead byte as the last byte of the text ends the walk.
inline size_t FindIgnoringCase(std::string_view text, std::string_view sought, size_t from) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char first = FoldAscii(static_cast<unsigned char>(sought[0]));
  size_t pos = from;
  while (pos + sought.size() <= text.size()) {
    unsigned char byte = bytes[pos];
    if ((IsLead(byte) ? byte : FoldAscii(byte)) == first &&
        MatchesIgnoringCase(text, pos, sought)) {
      return pos;
    }
    if (IsLead(byte)) {
      if (pos + 1 >= text.size()) break;
      pos += 2;
    } else {
      ++pos;
    }
  }
  return std::string_view::npos;
}

inline size_t Find(std::string_view text, std::string_view sought, size_t from, bool exact) {
  return exact ? FindExact(text, sought, from) : FindIgnoringCase(text, sought, from);
}

}  // namespace rt::walk
