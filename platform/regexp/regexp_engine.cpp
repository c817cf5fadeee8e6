#define PCRE2_CODE_UNIT_WIDTH 16
#include "regexp_engine.h"

#include <pcre2.h>

#include "regexp_pattern_cache.h"
#include "regexp_pattern_translator.h"

namespace platform {
namespace {

// The translated pattern is in PCRE2's own syntax. Without multi-line "$" is
// the very end, a group that took no part matches the empty text, and the
// engine calls back before every pattern item it tries, which counts the
// steps of a search.
constexpr uint32_t kCompileOptions =
    PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF | PCRE2_AUTO_CALLOUT;

PCRE2_SPTR Units(std::u16string_view text) {
  return reinterpret_cast<PCRE2_SPTR>(text.data());
}

// Counts one step of the search and ends it once the budget is spent.
int CountStep(pcre2_callout_block*, void* steps) {
  uint64_t& taken = *static_cast<uint64_t*>(steps);
  return ++taken > RegexEngine::kStepBudget ? PCRE2_ERROR_MATCHLIMIT : 0;
}

}  // namespace

void ExpandReplacement(std::u16string_view subject, const RegexMatch& match,
                       std::u16string_view replacement, std::u16string* out) {
  const RegexSpan& whole = match[0];
  const size_t groups = match.size() - 1;
  auto append_group = [&](size_t n) {
    const RegexSpan& span = match[n];
    if (span.set) out->append(subject.substr(span.start, span.length));
  };
  auto is_digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
  for (size_t i = 0; i < replacement.size(); ++i) {
    char16_t c = replacement[i];
    if (c != u'$' || i + 1 >= replacement.size()) {
      *out += c;
      continue;
    }
    char16_t next = replacement[i + 1];
    if (next == u'$') {
      *out += u'$';
      ++i;
    } else if (next == u'&') {
      out->append(subject.substr(whole.start, whole.length));
      ++i;
    } else if (next == u'`') {
      out->append(subject.substr(0, whole.start));
      ++i;
    } else if (next == u'\'') {
      out->append(subject.substr(whole.start + whole.length));
      ++i;
    } else if (is_digit(next)) {
      size_t one = static_cast<size_t>(next - u'0');
      if (i + 2 < replacement.size() && is_digit(replacement[i + 2])) {
        size_t two = one * 10 + static_cast<size_t>(replacement[i + 2] - u'0');
        if (two >= 1 && two <= groups) {
          append_group(two);
          i += 2;
          continue;
        }
      }
      if (one >= 1 && one <= groups) {
        append_group(one);
        ++i;
      } else {
        *out += u'$';  // "$0" or a group the pattern does not have stays as written
      }
    } else {
      *out += u'$';
    }
  }
}

RegexEngine::RegexEngine() {
  match_context_ = pcre2_match_context_create(nullptr);
  if (match_context_) {
    pcre2_set_callout(match_context_, CountStep, &steps_);
    // The engine's own limit restarts at every start position; it stays as a
    // bound on one attempt in case a step goes by without a callout.
    pcre2_set_match_limit(match_context_, static_cast<uint32_t>(kStepBudget));
    pcre2_set_depth_limit(match_context_, kDepthLimit);
    pcre2_set_heap_limit(match_context_, kHeapLimitKiB);
  }
}

RegexEngine::~RegexEngine() {
  Drop();
  pcre2_match_context_free(match_context_);
}

void RegexEngine::Drop() {
  pcre2_match_data_free(match_data_);
  match_data_ = nullptr;
  compiled_.reset();
}

void RegexEngine::SetPattern(std::u16string_view pattern) {
  if (pattern == pattern_) return;
  pattern_ = pattern;
  Drop();
}

void RegexEngine::SetIgnoreCase(bool ignore_case) {
  if (ignore_case == ignore_case_) return;
  ignore_case_ = ignore_case;
  Drop();
}

void RegexEngine::SetMultiline(bool multiline) {
  if (multiline == multiline_) return;
  multiline_ = multiline;
  Drop();
}

bool RegexEngine::Compile() {
  if (compiled_) return true;
  if (!match_context_) return false;
  std::optional<std::u16string> translated = TranslateRegexPattern(pattern_, multiline_);
  if (!translated) return false;
  compiled_ = CompilePattern(*translated, kCompileOptions | (ignore_case_ ? PCRE2_CASELESS : 0));
  if (!compiled_) return false;
  group_count_ = compiled_->group_count;
  match_data_ = pcre2_match_data_create(static_cast<uint32_t>(group_count_ + 1), nullptr);
  if (!match_data_) {
    Drop();
    return false;
  }
  return true;
}

bool RegexEngine::Execute(std::u16string_view subject, bool global,
                          std::vector<RegexMatch>* matches) {
  matches->clear();
  if (!Compile()) return false;
  steps_ = 0;
  size_t start = 0;
  while (start <= subject.size()) {
    int rc = pcre2_match(compiled_->code, Units(subject), subject.size(), start, 0, match_data_,
                         match_context_);
    // A search too deep for the JIT's stack goes through the interpreter,
    // which keeps its backtracking on the heap.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
      rc = pcre2_match(compiled_->code, Units(subject), subject.size(), start, PCRE2_NO_JIT,
                       match_data_, match_context_);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) {
      matches->clear();
      return false;
    }
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match_data_);
    RegexMatch match(group_count_ + 1);
    for (size_t g = 0; g <= group_count_; ++g) {
      if (ovector[2 * g] == PCRE2_UNSET) continue;
      match[g] = {ovector[2 * g], ovector[2 * g + 1] - ovector[2 * g], true};
    }
    matches->push_back(std::move(match));
    if (!global) break;
    size_t end = ovector[1];
    start = end > ovector[0] ? end : end + 1;
  }
  return true;
}

bool RegexEngine::Replace(std::u16string_view subject, std::u16string_view replacement, bool global,
                          std::u16string* result) {
  std::vector<RegexMatch> matches;
  if (!Execute(subject, global, &matches)) return false;
  result->clear();
  size_t last = 0;
  for (const RegexMatch& match : matches) {
    result->append(subject.substr(last, match[0].start - last));
    ExpandReplacement(subject, match, replacement, result);
    last = match[0].start + match[0].length;
  }
  result->append(subject.substr(last));
  return true;
}

}  // namespace platform
