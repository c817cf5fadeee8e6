// Cookie texts: "name=value" items separated by "; " (";" after merging).
#pragma once

#include <cstdint>

#include "runtime/owned.h"

namespace http {

// Merges the server's cookies (`new_cookies`) into the caller's (`old_cookies`):
// both lose every space (written back), a new cookie wins over an old one of the
// same name, old ones of other names follow, "=deleted" items are dropped and
// whole repeated items appear once. The result is written into `old_cookies`
// and also returned.
rt::Text MergeCookies(rt::Text& old_cookies, rt::Text& new_cookies);

// The part before the first "=" (or the whole item), trimmed of spaces.
rt::Text CookieName(rt::TextRef item);
// Whether an item of `items` has exactly this name (case-sensitive).
bool HasCookieNamed(const rt::TextArray& items, rt::TextRef name);
// `text` split on `separator` and joined again with each piece only at its
// first occurrence.
rt::Text DistinctJoin(rt::TextRef text, rt::TextRef separator);
// 1-based index of the first item equal to `text` byte for byte, or -1.
int32_t IndexOfText(const rt::TextArray& items, rt::TextRef text);

}  // namespace http
