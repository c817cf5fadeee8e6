// Arbitrary bytes through the GBK-walking text commands and ByteSetData. Besides
// memory errors it holds each command against its plain character-by-character
// form (tests/support/text_reference.h), with every optional argument sometimes
// left out.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "runtime/core_commands.h"
#include "tests/support/text_reference.h"

namespace {

using fuzz::Check;

// Texts end at their first NUL, so the fuzzer's bytes are cut there.
std::string TextFrom(FuzzedDataProvider& data, size_t max_size) {
  std::string bytes = data.ConsumeRandomLengthString(max_size);
  return bytes.substr(0, bytes.find('\0'));
}

template <class T>
std::optional<T> Maybe(FuzzedDataProvider& data, T value) {
  return data.ConsumeBool() ? std::optional<T>(value) : std::nullopt;
}

void CheckTextCommands(FuzzedDataProvider& data) {
  // Small positions and counts reach the interesting cases far more often.
  std::optional<int32_t> start = Maybe(data, data.ConsumeIntegralInRange<int32_t>(-2, 40));
  std::optional<int32_t> count = Maybe(data, data.ConsumeIntegralInRange<int32_t>(-2, 4));
  std::optional<int32_t> maximum = Maybe(data, data.ConsumeIntegralInRange<int32_t>(-2, 6));
  std::optional<bool> flag = Maybe(data, data.ConsumeBool());
  bool delimiter_given = data.ConsumeBool();
  std::string sought = TextFrom(data, 8);
  std::string replacement = TextFrom(data, 8);
  std::string text = TextFrom(data, 4096);

  Check(rt::FindText(text, sought, start, flag) ==
        reference::FindText(text, sought, start.value_or(1), flag.value_or(false)));

  std::optional<rt::TextRef> replacement_arg;
  if (!replacement.empty() || data.ConsumeBool()) replacement_arg = rt::TextRef(replacement);
  Check(rt::ReplaceText(text, sought, replacement_arg, start, count, flag).view() ==
        reference::ReplaceText(text, sought, replacement, start.value_or(1), count.value_or(-1),
                               flag.value_or(false)));

  std::optional<rt::TextRef> delimiter;
  if (delimiter_given) delimiter = rt::TextRef(sought);
  rt::TextArray parts = rt::SplitText(text, delimiter, maximum);
  std::vector<std::string> expected =
      reference::SplitText(text, delimiter_given ? std::string_view(sought) : ",", maximum);
  Check(parts.size() == static_cast<int32_t>(expected.size()));
  for (int32_t i = 1; i <= parts.size(); ++i) Check(parts.ViewAt(i) == expected[i - 1]);

  Check(rt::TrimSpaces(text).view() == reference::TrimSpaces(text));
  Check(rt::RemoveSpaces(text).view() == reference::RemoveSpaces(text));
  Check(rt::ToInteger(text) == reference::ToInteger(text));
}

// ByteSetData of one type (1..10) from any bytes, with the position left out,
// given as a value or passed by reference.
void CheckByteSetData(FuzzedDataProvider& data) {
  int32_t type_number = data.ConsumeIntegralInRange<int32_t>(1, 10);
  int mode = data.ConsumeIntegralInRange(0, 2);
  int32_t position = data.ConsumeIntegralInRange<int32_t>(-2, 40);
  std::string bytes = data.ConsumeRandomLengthString(64);
  rt::ByteSet set = rt::ByteSet::Copy(bytes.data(), bytes.size());

  int32_t variable = position;
  rt::ValueRecord record = mode == 0   ? rt::ByteSetData(set, type_number)
                           : mode == 1 ? rt::ByteSetData(set, type_number, position)
                                       : rt::ByteSetData(set, type_number, &variable);
  rt::Text text(type_number == 10 ? record.AsPointer<char>() : nullptr);

  // What the reference reads: from the position (1-based), nothing when it is
  // before the start.
  int64_t offset = mode == 0 ? 0 : int64_t{position} - 1;
  std::string_view left;
  if (offset >= 0 && offset < static_cast<int64_t>(bytes.size())) {
    left = std::string_view(bytes).substr(static_cast<size_t>(offset));
  }
  static constexpr size_t kSizes[] = {0, 1, 2, 4, 8, 4, 8, 4, 8, sizeof(void*), 0};
  size_t size = kSizes[type_number];
  unsigned char raw[8] = {};
  if (!left.empty()) std::memcpy(raw, left.data(), std::min(left.size(), size));
  int64_t next;
  if (type_number == 10) {
    size_t zero = left.find('\0');
    Check(text.view() == left.substr(0, zero));
    next = offset + static_cast<int64_t>(text.size()) + (zero != std::string_view::npos ? 1 : 0);
  } else {
    uint64_t value;
    std::memcpy(&value, raw, sizeof value);
    switch (type_number) {
      case 1:
        Check(record.AsInt() == raw[0]);
        break;
      case 2:
        Check(static_cast<int16_t>(record.low) == static_cast<int16_t>(value));
        break;
      case 3:
      case 5:
        Check(record.low == static_cast<uint32_t>(value));
        break;
      case 7:
        Check(record.AsInt() == (static_cast<uint32_t>(value) != 0 ? 1 : 0));
        break;
      case 4:
      case 6:
        Check(record.Value() == value);
        break;
      default:  // DateTime is clamped to its range, a subroutine pointer is opaque
        break;
    }
    next = offset + static_cast<int64_t>(size);
  }
  if (mode == 2) {
    bool inside = offset >= 0 && next < static_cast<int64_t>(bytes.size());
    Check(variable == (inside ? next + 1 : -1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  if (data.ConsumeBool()) {
    CheckByteSetData(data);
  } else {
    CheckTextCommands(data);
  }
  return 0;
}
