// The class's pattern syntax written out in PCRE2's syntax. The class knows
// fewer constructs than PCRE2 and reads some of the same characters otherwise,
// so every pattern goes through this translation before it is compiled.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The pattern as PCRE2 reads it, or nothing when the class's syntax has no
// such pattern. In that syntax:
// - "\d \D \w \W \s \S \b \B", "\f \n \r \t \v" (the vertical tab alone),
//   "\xhh", "\uhhhh" and "\cX" are escapes; a backslash before any other
//   character is that character;
// - "\n" and "\nm" refer back to a group when at least that many groups open
//   before them, and are otherwise octal escapes;
// - a "]" first in a class is a member, not the end of the class;
// - groups are "(", "(?:", "(?=" and "(?!"; the quantifiers "*", "+", "?" and
//   "{n,m}" may be made lazy with "?" and nothing else. Lookbehind, named and
//   atomic groups, possessive quantifiers and inline options do not exist.
// With `multiline`, "^" and "$" also match after and before a line feed or a
// carriage return.
std::optional<std::u16string> TranslateRegexPattern(std::u16string_view pattern, bool multiline);

}  // namespace platform
