// Any bytes as a quote answer, full or short form, through the field split and
// the field-to-place mapping, with a sink that records what would be shown. The
// answer comes from the network, so no answer may end the viewer, and what is
// written must be the fields the record really holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "app/quote_record.h"
#include "fuzz/fuzz_check.h"
#include "tests/support/text_reference.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool full_form = data[0] & 1;
  std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);
  answer = answer.substr(0, answer.find('\0'));

  std::span<const app::FieldPlace> places =
      full_form ? app::FullFormPlaces() : app::ShortFormPlaces();
  // The answer is split only as far as the last field either form reads; the
  // fields up to there are those of a split without a limit.
  int32_t last_field_read = 0;
  for (auto form : {app::FullFormPlaces(), app::ShortFormPlaces()}) {
    for (const app::FieldPlace& entry : form)
      last_field_read = std::max(last_field_read, entry.field);
  }
  rt::TextArray fields = app::SplitFields(answer);
  std::vector<std::string> expected = reference::SplitText(answer, "~", std::nullopt);
  Check(fields.size() == std::min(static_cast<int32_t>(expected.size()), last_field_read));
  for (int32_t field = 1; field <= fields.size(); ++field)
    Check(fields.ViewAt(field) == expected[field - 1]);

  std::set<int32_t> written;
  bool applied = app::ApplyFields(fields, places, [&](int32_t place, rt::TextRef value) {
    Check(written.insert(place).second);  // each place at most once
    for (const app::FieldPlace& entry : places) {
      if (entry.place != place) continue;
      Check(entry.field <= fields.size());
      const std::string& field = expected[entry.field - 1];
      switch (entry.conversion) {
        case app::FieldConversion::kNone:
          Check(value.view() == field);
          break;
        case app::FieldConversion::kMarketValue: {
          // The search walks characters, so a quote byte inside one is no quote.
          int32_t quote = reference::FindText(field, "\"", 1, false);
          Check(value.view() == (quote < 0 ? "" : field.substr(0, quote - 1)));
          break;
        }
        case app::FieldConversion::kVolume: {
          // Whatever the field holds, the volume shows as a number.
          char volume[32];
          std::snprintf(volume, sizeof volume, "%.13g",
                        static_cast<double>(reference::ToInteger<uint64_t>(field)) / 10000.0);
          Check(value.view() == volume);
          break;
        }
      }
    }
  });
  Check(applied == (expected.size() > 7));
  if (!applied) Check(written.empty());
  // Every place whose field the record holds is written.
  for (const app::FieldPlace& entry : places) {
    if (applied && entry.field <= fields.size()) Check(written.count(entry.place) == 1);
  }
  return 0;
}
