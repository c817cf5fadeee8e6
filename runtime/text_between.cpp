#include "runtime/text_between.h"

#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"

namespace rt {

const char* QuotePlaceholder() {
  return rt::Literal("#引号");
}

rt::Text ExpandQuotePlaceholder(rt::TextRef text) {
  return rt::ReplaceText(text, QuotePlaceholder(), rt::TextRef("\""), std::nullopt, std::nullopt,
                         true);
}

rt::Text TextBetween(rt::TextRef text, rt::TextRef left, rt::TextRef right,
                     std::optional<int32_t> start, std::optional<bool> case_insensitive) {
  rt::Text left_marker = ExpandQuotePlaceholder(left);
  rt::Text right_marker = ExpandQuotePlaceholder(right);
  int32_t a = rt::FindText(text, left_marker, start, case_insensitive);
  if (a == -1) return {};
  a += static_cast<int32_t>(left_marker.size());
  int32_t b = rt::FindText(text, right_marker, a, case_insensitive);
  if (b == -1) return {};
  return rt::TextMiddle(text, a, b - a);
}

}  // namespace rt
