#include "regexp_pattern_translator.h"

#include <cstdio>

namespace platform {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool IsOctalDigit(char16_t c) {
  return c >= u'0' && c <= u'7';
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One code unit written so that PCRE2 reads it as itself, in a class or out.
void AppendLiteral(char16_t c, std::u16string* out) {
  if (IsDigit(c) || IsAsciiLetter(c) || c == u' ' || c >= 0x80) {
    *out += c;
  } else if (c > 0x20 && c < 0x7F) {
    *out += u'\\';  // punctuation: the backslash makes it literal
    *out += c;
  } else {
    char hex[16];
    std::snprintf(hex, sizeof hex, "\\x{%x}", static_cast<unsigned>(c));
    for (const char* h = hex; *h; ++h) *out += static_cast<char16_t>(*h);
  }
}

// What one escape or class member stands for.
struct Atom {
  enum Kind { kChar, kCharType, kAssertion, kBackReference };
  Kind kind = kChar;
  char16_t value = 0;  // the character; the letter of a type or assertion
  unsigned group = 0;  // of a back-reference
};

class Translator {
 public:
  Translator(std::u16string_view pattern, bool multiline)
      : pattern_(pattern), multiline_(multiline) {}

  std::optional<std::u16string> Run() {
    out_.reserve(pattern_.size() + 16);
    bool repeatable = false;  // the last item may take a quantifier
    bool quantified = false;  // the last item is a quantifier
    bool lazy = false;        // ... made lazy already
    while (pos_ < pattern_.size()) {
      const char16_t c = pattern_[pos_];
      if (size_t length = QuantifierLength(); length > 0) {
        if (quantified) {
          // Only a lazy mark may follow a quantifier: "a*+" and "a*??" are errors.
          if (c != u'?' || lazy) return std::nullopt;
          lazy = true;
        } else if (!repeatable) {
          return std::nullopt;
        } else {
          quantified = true;
          lazy = false;
          repeatable = false;
        }
        out_.append(pattern_.substr(pos_, length));
        pos_ += length;
        continue;
      }
      quantified = false;
      repeatable = true;
      switch (c) {
        case u'\\': {
          std::optional<Atom> atom = Escape(false);
          if (!atom) return std::nullopt;
          Emit(*atom);
          repeatable = atom->kind != Atom::kAssertion;
          break;
        }
        case u'[':
          if (!Class()) return std::nullopt;
          break;
        case u'(':
          if (!Group()) return std::nullopt;
          repeatable = false;
          break;
        case u'|':
          out_ += c;
          ++pos_;
          repeatable = false;
          break;
        case u'^':
          out_ += multiline_ ? u"(?<![^\\n\\r])" : u"^";
          ++pos_;
          repeatable = false;
          break;
        case u'$':
          out_ += multiline_ ? u"(?![^\\n\\r])" : u"$";
          ++pos_;
          repeatable = false;
          break;
        case u')':
        case u'.':
          out_ += c;
          ++pos_;
          break;
        default:
          AppendLiteral(c, &out_);
          ++pos_;
      }
    }
    return std::move(out_);
  }

 private:
  // The length of the quantifier at the current position, 0 when there is
  // none. A "{" that does not make "{n}", "{n,}" or "{n,m}" is a character.
  size_t QuantifierLength() const {
    const char16_t c = pattern_[pos_];
    if (c == u'*' || c == u'+' || c == u'?') return 1;
    if (c != u'{') return 0;
    size_t at = pos_ + 1;
    auto digits = [&] {
      size_t from = at;
      while (at < pattern_.size() && IsDigit(pattern_[at])) ++at;
      return at > from;
    };
    if (!digits()) return 0;
    if (at < pattern_.size() && pattern_[at] == u',') {
      ++at;
      digits();
    }
    if (at >= pattern_.size() || pattern_[at] != u'}') return 0;
    return at + 1 - pos_;
  }

  // A group opening at the current "(". Captures are counted as they open.
  bool Group() {
    if (pos_ + 1 < pattern_.size() && pattern_[pos_ + 1] == u'?') {
      if (pos_ + 2 >= pattern_.size()) return false;
      const char16_t kind = pattern_[pos_ + 2];
      if (kind != u':' && kind != u'=' && kind != u'!') return false;
      out_.append(pattern_.substr(pos_, 3));
      pos_ += 3;
      return true;
    }
    ++groups_;
    out_ += u'(';
    ++pos_;
    return true;
  }

  // A class from its "[" to its "]". A "]" first (after any "^") is a member.
  bool Class() {
    out_ += u'[';
    ++pos_;
    if (pos_ < pattern_.size() && pattern_[pos_] == u'^') {
      out_ += u'^';
      ++pos_;
    }
    for (bool first = true;; first = false) {
      if (pos_ >= pattern_.size()) return false;
      if (pattern_[pos_] == u']' && !first) {
        out_ += u']';
        ++pos_;
        return true;
      }
      std::optional<Atom> from = ClassMember();
      if (!from) return false;
      const bool range = from->kind == Atom::kChar && pos_ + 1 < pattern_.size() &&
                         pattern_[pos_] == u'-' && pattern_[pos_ + 1] != u']';
      if (!range) {
        Emit(*from);
        continue;
      }
      ++pos_;
      std::optional<Atom> to = ClassMember();
      if (!to) return false;
      Emit(*from);
      if (to->kind == Atom::kChar) {
        if (to->value < from->value) return false;
        out_ += u'-';
      } else {
        AppendLiteral(u'-', &out_);  // "[a-\d]": a hyphen between a character and a type
      }
      Emit(*to);
    }
  }

  std::optional<Atom> ClassMember() {
    if (pattern_[pos_] == u'\\') return Escape(true);
    return Atom{Atom::kChar, pattern_[pos_++]};
  }

  // The escape at the current backslash.
  std::optional<Atom> Escape(bool in_class) {
    ++pos_;
    if (pos_ >= pattern_.size()) return std::nullopt;  // a backslash ends the pattern
    const char16_t c = pattern_[pos_];
    if (IsDigit(c)) return Digits(in_class);
    ++pos_;
    switch (c) {
      case u'd':
      case u'D':
      case u'w':
      case u'W':
      case u's':
      case u'S':
        return Atom{Atom::kCharType, c};
      case u'b':
        // In a class "\b" is the backspace.
        return in_class ? Atom{Atom::kChar, 0x08} : Atom{Atom::kAssertion, c};
      case u'B':
        return in_class ? Atom{Atom::kChar, c} : Atom{Atom::kAssertion, c};
      case u'f':
        return Atom{Atom::kChar, 0x0C};
      case u'n':
        return Atom{Atom::kChar, 0x0A};
      case u'r':
        return Atom{Atom::kChar, 0x0D};
      case u't':
        return Atom{Atom::kChar, 0x09};
      case u'v':
        return Atom{Atom::kChar, 0x0B};
      case u'x':
        return Atom{Atom::kChar, Hex(2).value_or(c)};
      case u'u':
        return Atom{Atom::kChar, Hex(4).value_or(c)};
      case u'c':
        if (pos_ < pattern_.size() && IsAsciiLetter(pattern_[pos_]))
          return Atom{Atom::kChar, static_cast<char16_t>(pattern_[pos_++] % 32)};
        return Atom{Atom::kChar, c};  // the letter c itself
      default:
        return Atom{Atom::kChar, c};
    }
  }

  // `count` hex digits after an "\x" or "\u", consumed only when all are there.
  std::optional<char16_t> Hex(size_t count) {
    if (pos_ + count > pattern_.size()) return std::nullopt;
    unsigned value = 0;
    for (size_t i = 0; i < count; ++i) {
      int digit = HexValue(pattern_[pos_ + i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    pos_ += count;
    return static_cast<char16_t>(value);
  }

  // A backslash followed by digits: a back-reference to a group opened
  // before it ("\nm" when there are at least nm such groups, else "\n" when
  // there are n), otherwise an octal escape of up to three digits (two when
  // the first is above 3). "\8" and "\9" that refer to nothing are digits.
  Atom Digits(bool in_class) {
    const char16_t first = pattern_[pos_];
    if (!in_class && first != u'0') {
      unsigned one = first - u'0';
      if (pos_ + 1 < pattern_.size() && IsDigit(pattern_[pos_ + 1])) {
        unsigned two = one * 10 + (pattern_[pos_ + 1] - u'0');
        if (two <= groups_) {
          pos_ += 2;
          return Atom{Atom::kBackReference, 0, two};
        }
      }
      if (one <= groups_) {
        ++pos_;
        return Atom{Atom::kBackReference, 0, one};
      }
    }
    if (!IsOctalDigit(first)) return Atom{Atom::kChar, pattern_[pos_++]};
    const size_t most = first <= u'3' ? 3 : 2;
    unsigned value = 0;
    for (size_t used = 0; used < most && pos_ < pattern_.size() && IsOctalDigit(pattern_[pos_]);
         ++used)
      value = value * 8 + (pattern_[pos_++] - u'0');
    return Atom{Atom::kChar, static_cast<char16_t>(value)};
  }

  void Emit(const Atom& atom) {
    switch (atom.kind) {
      case Atom::kChar:
        AppendLiteral(atom.value, &out_);
        break;
      case Atom::kCharType:
      case Atom::kAssertion:
        out_ += u'\\';
        out_ += atom.value;
        break;
      case Atom::kBackReference:
        // Braces keep a digit that follows from joining the group number.
        out_ += u"\\g{";
        for (char c : std::to_string(atom.group)) out_ += static_cast<char16_t>(c);
        out_ += u'}';
        break;
    }
  }

  std::u16string_view pattern_;
  bool multiline_;
  size_t pos_ = 0;
  unsigned groups_ = 0;  // capturing groups opened so far
  std::u16string out_;
};

}  // namespace

std::optional<std::u16string> TranslateRegexPattern(std::u16string_view pattern, bool multiline) {
  return Translator(pattern, multiline).Run();
}

}  // namespace platform
