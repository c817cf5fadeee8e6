// The RegexObject methods that drive the platform object: Search and the
// reads of its last match collection.
#include <algorithm>

#include "regex/regex_object.h"
#include "runtime/app_routines.h"
#include "runtime/automation_owned.h"
#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "runtime/wide_text.h"

namespace regex {
namespace {

using rt::ValueRecord;

bool Option(OptionalBool option, bool fallback) {
  return option.given ? option.value != 0 : fallback;
}

int32_t Truncate(double value) {
  return static_cast<int32_t>(rt::TruncateToInt64(value));
}

ValueRecord SubjectArg(const RegexObject* self) {
  return ValueRecord::Pointer(rt::type::Variant, self->subject);
}

// The 0-based byte offset of `text` in the GBK subject, -2 when it is not
// there. FirstIndex counts UTF-16 units, so the search starts at the GBK
// length of the subject's first FirstIndex units: the byte where the match
// begins. Searching from the unit count instead could stop at an earlier copy
// of the match text whenever two-byte characters come before the match.
int32_t BytePosition(const RegexObject* self, const rt::ComObject& match, rt::TextRef text) {
  rt::ByteSet wide = rt::com::ToByteSet(self->subject);
  rt::Text subject = rt::WideToAnsi(wide);
  const int32_t first_index = Truncate(match.ReadNumberProperty("FirstIndex"));
  const size_t prefix_bytes =
      std::min<size_t>(static_cast<size_t>(std::max(first_index, 0)) * 2, wide.size());
  const rt::Text before = rt::WideToAnsi(rt::ByteSet::Copy(wide.data(), prefix_bytes));
  const auto start = static_cast<int32_t>(before.view().size());
  return rt::FindText(subject, text, start + 1, false) - 1;
}

rt::ComObject MatchNumbered(const RegexObject* self, int32_t match) {
  return rt::com::ReadObjectProperty(self->matches, "Item", {ValueRecord::Double(match - 1.0)});
}

}  // namespace

int32_t Search(RegexObject* self, char* const* pattern, char* const* subject,
               OptionalBool case_sensitive, OptionalBool multiline, OptionalBool global,
               OptionalBool expand_quote) {
  rt::com::Clear(self->engine);
  rt::com::Clear(self->matches);
  rt::com::Create(self->engine, "VBScript.RegExp");
  rt::com::WriteProperty(self->engine, "IgnoreCase",
                         {ValueRecord::Bool(!Option(case_sensitive, false))});
  rt::com::WriteProperty(self->engine, "Multiline", {ValueRecord::Bool(Option(multiline, true))});
  // The object has no such member: this write fails and "." keeps not
  // matching a line break.
  rt::com::WriteProperty(self->engine, "Singleline", {ValueRecord::Bool(true)});
  rt::com::WriteProperty(self->engine, "Global", {ValueRecord::Bool(Option(global, true))});

  rt::Text expanded;
  const char* used = pattern ? *pattern : nullptr;
  if (Option(expand_quote, false)) {
    expanded = rt::ReplaceText(used, rt::Literal("#引号"), "\"", {}, {}, true);
    used = expanded.get();
  }
  rt::com::WriteProperty(self->engine, "Pattern", {ValueRecord::Text(used)});

  // The object takes these bytes as the UTF-16 string it searches, which so
  // ends with one NUL character.
  rt::ByteSet wide = rt::AnsiToWide(subject ? *subject : nullptr);
  rt::com::Set(self->subject, ValueRecord::ByteSet(wide.get()));

  rt::ComObject found = rt::com::CallObjectMethod(self->engine, "Execute", {SubjectArg(self)});
  rt::FreeObjectCell(self->matches);
  self->matches = found.release();
  return rt::com::IsEmpty(self->matches) ? 0 : 1;
}

char* GetPattern(RegexObject* self) {
  if (rt::com::IsEmpty(self->engine)) return nullptr;
  return rt::com::ReadTextProperty(self->engine, "Pattern").release();
}

char* Replace(RegexObject* self, char* const* replacement) {
  return rt::com::CallTextMethod(self->engine, "Replace",
                                 {SubjectArg(self), ValueRecord::Text(*replacement)})
      .release();
}

int32_t MatchCount(RegexObject* self) {
  return Truncate(rt::com::ReadNumberProperty(self->matches, "Count"));
}

char* MatchText(RegexObject* self, int32_t match_number, OptionalPosition position) {
  rt::ComObject match = MatchNumbered(self, match_number);
  rt::Variant value = match.ReadProperty("Value");
  rt::Text text = rt::WideToAnsi(value.ToByteSet());
  value.Clear();
  if (position.given && position.variable) *position.variable = BytePosition(self, match, text);
  return text.release();
}

char* SubMatchText(RegexObject* self, int32_t match_number, int32_t group,
                   OptionalPosition position) {
  rt::ComObject match = MatchNumbered(self, match_number);
  rt::ComObject groups = match.ReadObjectProperty("SubMatches");
  rt::Variant value = groups.ReadProperty("Item", {ValueRecord::Double(group - 1.0)});
  rt::Text text = value.ToText();
  value.Clear();
  if (position.given && position.variable) *position.variable = BytePosition(self, match, text);
  return text.release();
}

int32_t SubMatchCount(RegexObject* self) {
  rt::ComObject match = rt::com::ReadObjectProperty(self->matches, "Item", {ValueRecord::Int(0)});
  rt::ComObject groups = match.ReadObjectProperty("SubMatches");
  match.Clear();
  int32_t count = Truncate(groups.ReadNumberProperty("Count"));
  groups.Clear();
  return count;
}

}  // namespace regex
