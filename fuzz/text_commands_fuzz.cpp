// Arbitrary bytes through the GBK-walking text commands. Besides memory errors it
// checks that a reported match really is there and that splitting never loses
// or invents bytes when no maximum is given.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/core_commands.h"

namespace {

// Texts end at their first NUL, so the fuzzer's bytes are cut there.
std::string TextFrom(FuzzedDataProvider& data, size_t max_size) {
  std::string bytes = data.ConsumeRandomLengthString(max_size);
  return bytes.substr(0, bytes.find('\0'));
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  int32_t start = data.ConsumeIntegral<int32_t>();
  int32_t count = data.ConsumeIntegral<int32_t>();
  bool ignore_case = data.ConsumeBool();
  std::string sought = TextFrom(data, 8);
  std::string replacement = TextFrom(data, 8);
  std::string text = data.ConsumeRemainingBytesAsString();
  text = text.substr(0, text.find('\0'));

  int32_t found = rt::FindText(text, sought, start, ignore_case);
  Check(found == -1 || (found >= 1 && static_cast<size_t>(found) <= text.size() + 1));
  if (found > 0 && !ignore_case && !sought.empty()) {
    Check(text.compare(static_cast<size_t>(found - 1), sought.size(), sought) == 0);
  }

  rt::Text replaced = rt::ReplaceText(text, sought, replacement, start, count, !ignore_case);
  rt::Text trimmed = rt::TrimSpaces(text);
  Check(trimmed.size() <= text.size());
  rt::Text without_spaces = rt::RemoveSpaces(text);
  Check(without_spaces.size() <= text.size());
  (void)rt::ToInteger(text);

  rt::TextArray parts = rt::SplitText(text, sought);
  if (!sought.empty()) {
    // Joining the members with the delimiter gives back the text, less at most
    // one trailing delimiter.
    std::string joined;
    for (int32_t i = 1; i <= parts.size(); ++i) {
      if (i > 1) joined += sought;
      joined += parts.ViewAt(i);
    }
    Check(joined == text || joined + sought == text);
  }
  return 0;
}
