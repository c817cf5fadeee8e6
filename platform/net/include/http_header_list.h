// A request's header lines in the order they go out, edited the way both
// internet layers edit them: text cut into lines, each applied with the
// ADD / REPLACE / ADD_IF_NEW / COALESCE modifiers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::net {

struct HeaderField {
  std::string name;
  std::string value;
};

inline constexpr uint32_t kAddIfNew = 0x10000000;
inline constexpr uint32_t kAdd = 0x20000000;
inline constexpr uint32_t kCoalesceWithComma = 0x40000000;
inline constexpr uint32_t kCoalesceWithSemicolon = 0x01000000;
inline constexpr uint32_t kReplace = 0x80000000;

inline constexpr uint32_t kHeaderNotFound = 12150;
inline constexpr uint32_t kInvalidHeader = 12153;
inline constexpr uint32_t kHeaderAlreadyExists = 12155;

// A name is one or more characters, none a space, tab, control character or
// one of ( ) < > @ , ; : \ " / [ ] ? = { }.
bool IsHeaderName(std::string_view name);

class HeaderList {
 public:
  // Cuts `text` at every run of CR and LF (empty lines are skipped) and applies
  // each "Name: value" line with `modifiers`. All or nothing: on the first line
  // that is malformed (12153) or cannot be applied (12150, 12155) nothing
  // changes and that error is returned; 0 on success.
  uint32_t Apply(std::string_view text, uint32_t modifiers);

  // The first value of a name (case-insensitive), or null.
  const std::string* Find(std::string_view name) const;
  // Replaces the first occurrence in place, or appends; the value is cut at
  // its first line break.
  void Set(std::string_view name, std::string_view value);
  void Remove(std::string_view name);
  const std::vector<HeaderField>& fields() const { return fields_; }

 private:
  uint32_t ApplyLine(std::string_view line, uint32_t modifiers);
  std::vector<HeaderField> fields_;
};

bool SameHeaderName(std::string_view a, std::string_view b);

// The text up to its first CR or LF. A value given whole (an agent, a
// referrer, accept types) is cut there, so it never starts a header line of
// its own on the wire.
std::string_view FirstLine(std::string_view text);

}  // namespace platform::net
