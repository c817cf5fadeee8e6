// Cuts the text between two markers.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/owned.h"

namespace rt {

// The text strictly between the first `left` at or after `start` (1-based;
// omitted: from the beginning) and the first `right` after it; empty when
// either is missing. "#引号" in a marker stands for a double quote, so an empty
// left marker and "#引号" give the text before the first double quote.
rt::Text TextBetween(rt::TextRef text, rt::TextRef left, rt::TextRef right,
                     std::optional<int32_t> start = {}, std::optional<bool> case_insensitive = {});

// "#引号": the placeholder that patterns and markers use for a double quote.
const char* QuotePlaceholder();
// Every "#引号" (exact case) replaced by a double-quote character.
rt::Text ExpandQuotePlaceholder(rt::TextRef text);

}  // namespace rt
