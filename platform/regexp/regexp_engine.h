// Pattern matching for the "VBScript.RegExp" class over PCRE2 in 16-bit mode
// (no UTF: every UTF-16 code unit is one character, as the class counts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_match_data_16;
struct pcre2_real_match_context_16;

namespace platform {

struct CompiledPattern;

// One capture: start and length in code units; `set` is false for a group
// that took no part in the match.
struct RegexSpan {
  size_t start = 0;
  size_t length = 0;
  bool set = false;
};
// Group 0 is the whole match.
using RegexMatch = std::vector<RegexSpan>;

class RegexEngine {
 public:
  RegexEngine();
  ~RegexEngine();
  RegexEngine(const RegexEngine&) = delete;
  RegexEngine& operator=(const RegexEngine&) = delete;

  // Each change drops the compiled pattern; the next search compiles again
  // (or finds the pattern compiled by another object).
  void SetPattern(std::u16string_view pattern);
  void SetIgnoreCase(bool ignore_case);
  void SetMultiline(bool multiline);
  const std::u16string& pattern() const { return pattern_; }
  bool ignore_case() const { return ignore_case_; }
  bool multiline() const { return multiline_; }

  // All matches left to right (only the first unless `global`). After an
  // empty match the search goes on one code unit further. False when the
  // pattern is not valid or the search exceeds its limits.
  bool Execute(std::u16string_view subject, bool global, std::vector<RegexMatch>* matches);
  // The subject with the matches replaced; the replacement may use $1..$99,
  // $&, $`, $' and $$.
  bool Replace(std::u16string_view subject, std::u16string_view replacement, bool global,
               std::u16string* result);

  // Bounds on one search, so that a pattern that backtracks catastrophically
  // fails like an invalid one instead of hanging. The step budget covers the
  // whole search: every start position and, for a global search, every
  // match; a step is one pattern item tried. The depth and heap limits bound
  // the backtracking memory of each attempt.
  static constexpr uint64_t kStepBudget = 10'000'000;
  static constexpr unsigned kDepthLimit = 1'000'000;
  static constexpr unsigned kHeapLimitKiB = 128 * 1024;

 private:
  bool Compile();
  void Drop();

  std::u16string pattern_;
  bool ignore_case_ = false;
  bool multiline_ = false;
  std::shared_ptr<const CompiledPattern> compiled_;  // shared with other objects
  pcre2_real_match_data_16* match_data_ = nullptr;
  pcre2_real_match_context_16* match_context_ = nullptr;
  size_t group_count_ = 0;
  uint64_t steps_ = 0;  // taken by the current search
};

// One match's replacement text under the replacement syntax.
void ExpandReplacement(std::u16string_view subject, const RegexMatch& match,
                       std::u16string_view replacement, std::u16string* out);

}  // namespace platform
