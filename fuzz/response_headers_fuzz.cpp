// Arbitrary bytes as a server's header block, through the response header
// reader and the cookie merge, and two arbitrary cookie texts through
// MergeCookies, held against the merge rule written out plainly.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "http/cookies.h"
#include "http/response_headers.h"
#include "runtime/wide_text.h"
#include "tests/support/text_reference.h"

namespace {

using fuzz::Check;

std::string TextFrom(FuzzedDataProvider& data, size_t max_size) {
  std::string bytes = data.ConsumeRandomLengthString(max_size);
  return bytes.substr(0, bytes.find('\0'));
}

std::string CookieName(const std::string& item) {
  int32_t equals = reference::FindText(item, "=", 1, false);
  return reference::TrimSpaces(equals > 0 ? item.substr(0, equals - 1) : item);
}

// New cookies first, then each old one whose name is not taken yet, deleted ones dropped,
// whole repeated items once, joined with "; ".
std::string MergedCookies(const std::string& old_cookies, const std::string& new_cookies) {
  std::vector<std::string> merged = reference::SplitText(new_cookies, ";", std::nullopt);
  std::vector<std::string> names;
  for (const std::string& item : merged) names.push_back(CookieName(item));
  for (const std::string& item : reference::SplitText(old_cookies, ";", std::nullopt)) {
    // Names already taken include old cookies taken before this one.
    if (std::find(names.begin(), names.end(), CookieName(item)) == names.end()) {
      merged.push_back(item);
      names.push_back(CookieName(item));
    }
  }
  std::string joined;
  for (const std::string& item : merged) {
    if (item.size() >= 8 && item.ends_with("=deleted")) continue;
    joined += item + "; ";
  }
  joined.resize(joined.size() >= 2 ? joined.size() - 2 : 0);
  std::vector<std::string> seen;
  std::string distinct;
  for (const std::string& piece : reference::SplitText(joined, "; ", std::nullopt)) {
    if (std::find(seen.begin(), seen.end(), piece) != seen.end()) continue;
    seen.push_back(piece);
    distinct += piece + "; ";
  }
  distinct.resize(distinct.size() >= 2 ? distinct.size() - 2 : 0);
  return distinct;
}

void CheckMergeCookies(FuzzedDataProvider& data) {
  std::string old_before = TextFrom(data, 256);
  std::string new_before = TextFrom(data, 256);
  rt::Text old_cookies = rt::Text::Copy(old_before);
  rt::Text new_cookies = rt::Text::Copy(new_before);
  rt::Text merged = http::MergeCookies(old_cookies, new_cookies);
  Check(new_cookies.view() == reference::RemoveSpaces(new_before));
  Check(old_cookies.view() == merged.view());
  Check(merged.view() ==
        MergedCookies(reference::RemoveSpaces(old_before), reference::RemoveSpaces(new_before)));
}

void CheckResponseHeaders(FuzzedDataProvider& data) {
  bool with_cookies = data.ConsumeBool();
  std::string cookie_text = TextFrom(data, 64);
  // The block arrives as UTF-16 from the platform and is narrowed first.
  std::string block = data.ConsumeRemainingBytesAsString();
  rt::ByteSet wide = rt::ByteSet::Copy(block.data(), block.size());
  rt::Text headers = rt::WideToAnsi(wide);
  http::ResponseHeaderFields fields;
  rt::Text cookies = rt::Text::Copy(cookie_text);
  http::ProcessResponseHeaders(headers, fields, with_cookies ? &cookies : nullptr);
  // Only the spelling of "Set-Cookie" changes, never the length; but the
  // replacing walk drops a lead byte left alone at the very end (a text can
  // hold one: code page 936 has single-byte characters from 0x80 up).
  size_t walked = 0;
  for (std::string_view character : reference::Characters(headers.view()))
    walked += character.size();
  Check(fields.response_headers.size() == walked);
  if (with_cookies) {
    Check(cookies.view() == MergedCookies(reference::RemoveSpaces(cookie_text),
                                          reference::RemoveSpaces(fields.new_cookies.str())));
  } else {
    Check(cookies.view() == cookie_text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  if (data.ConsumeBool()) {
    CheckMergeCookies(data);
  } else {
    CheckResponseHeaders(data);
  }
  return 0;
}
