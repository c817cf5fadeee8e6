// Patterns, subjects and replacements through the regular-expression engine
// with its match limits on, and now and then through the application's class
// and the "VBScript.RegExp" object behind it. A search may fail (an invalid
// pattern, a limit reached) but must never crash, hang or report a match
// outside its subject; the class must report what the engine finds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/regexp/regexp_engine.h"
#include "regex/regex_object.h"
#include "runtime/wide_text.h"

namespace {

using fuzz::Check;

std::u16string UnitsFrom(FuzzedDataProvider& data, size_t max_units) {
  std::string bytes = data.ConsumeRandomLengthString(max_units * 2);
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

void CheckMatches(const std::vector<platform::RegexMatch>& matches, size_t subject_size,
                  bool global) {
  Check(global || matches.size() <= 1);
  size_t previous_end = 0;
  for (const platform::RegexMatch& match : matches) {
    Check(!match.empty() && match[0].set);
    for (const platform::RegexSpan& span : match) {
      if (span.set) Check(span.start <= subject_size && span.length <= subject_size - span.start);
    }
    // Matches come left to right and never overlap.
    Check(match[0].start >= previous_end);
    previous_end = match[0].start + match[0].length;
  }
}

void CheckEngine(FuzzedDataProvider& data) {
  platform::RegexEngine engine;
  engine.SetIgnoreCase(data.ConsumeBool());
  engine.SetMultiline(data.ConsumeBool());
  bool global = data.ConsumeBool();
  engine.SetPattern(UnitsFrom(data, 64));
  std::u16string replacement = UnitsFrom(data, 16);
  std::u16string subject = UnitsFrom(data, 512);

  std::vector<platform::RegexMatch> matches;
  if (!engine.Execute(subject, global, &matches)) {
    Check(matches.empty());
    return;
  }
  CheckMatches(matches, subject.size(), global);

  std::u16string replaced;
  if (!engine.Replace(subject, replacement, global, &replaced)) return;  // a limit on the rerun
  if (replacement.find(u'$') == std::u16string::npos) {
    size_t matched = 0;
    for (const platform::RegexMatch& match : matches) matched += match[0].length;
    Check(replaced.size() == subject.size() - matched + matches.size() * replacement.size());
  }
}

// GBK texts through the class, as the request module uses it; its match count
// must be the engine's for the same texts and options.
void CheckClass(FuzzedDataProvider& data) {
  bool case_sensitive = data.ConsumeBool();
  bool multiline = data.ConsumeBool();
  bool global = data.ConsumeBool();
  std::string pattern = data.ConsumeRandomLengthString(48);
  pattern = pattern.substr(0, pattern.find('\0'));
  std::string subject = data.ConsumeRandomLengthString(256);
  subject = subject.substr(0, subject.find('\0'));

  regex::Regex object;
  bool searched = object.Search(pattern, subject, case_sensitive, multiline, global);
  int32_t count = object.MatchCount();

  platform::RegexEngine engine;
  engine.SetIgnoreCase(!case_sensitive);
  engine.SetMultiline(multiline);
  auto units = [](const std::string& text) {
    rt::ByteSet wide = rt::AnsiToWide(text);
    return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size() / 2);
  };
  std::u16string wide_pattern = units(pattern);
  if (!wide_pattern.empty()) wide_pattern.pop_back();  // the pattern is a string, no terminator
  engine.SetPattern(wide_pattern);
  // A non-empty subject reaches the object with its terminator.
  std::u16string wide_subject = units(subject);
  std::vector<platform::RegexMatch> matches;
  bool executed = engine.Execute(wide_subject, global, &matches);
  Check(searched == executed);
  Check(count == static_cast<int32_t>(matches.size()));

  // Positions count bytes of the subject as the object holds it: converted to
  // UTF-16 and back, which changes bytes that are not GBK.
  std::string held(rt::WideToAnsi(rt::AnsiToWide(subject)).view());
  for (int32_t i = 1; i <= count && i <= 4; ++i) {
    int32_t position = -3;
    rt::Text text = object.MatchText(i, &position);
    // The reported place holds the match text, or the text was not found.
    Check(position == -2 ||
          (position >= 0 && static_cast<size_t>(position) <= held.size() &&
           std::string_view(held).substr(static_cast<size_t>(position)).starts_with(text.view())));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  // The class costs an automation object per search; most inputs go to the engine.
  if (data.ConsumeIntegralInRange(0, 7) == 0) {
    CheckClass(data);
  } else {
    CheckEngine(data);
  }
  return 0;
}
