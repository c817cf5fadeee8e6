#include "http/cookies.h"

#include "runtime/app_routines.h"
#include "runtime/core_commands.h"

namespace http {
namespace {

// Drops `count` bytes from the end of `text` (nothing left gives empty).
rt::Text DropLast(const rt::Text& text, int32_t count) {
  return rt::TextLeft(text, rt::TextLength(text.c_str()) - count);
}

}  // namespace

rt::Text CookieName(rt::TextRef item) {
  int32_t equals = rt::FindText(item, "=");
  if (equals == -1) return rt::TrimSpaces(item);
  return rt::TrimSpaces(rt::TextLeft(item, equals - 1));
}

bool HasCookieNamed(const rt::TextArray& items, rt::TextRef name) {
  for (int32_t i = 1; i <= items.size(); ++i) {
    if (rt::CompareTextRaw(CookieName(items.At(i)).get(), name.get()) == 0) return true;
  }
  return false;
}

int32_t IndexOfText(const rt::TextArray& items, rt::TextRef text) {
  for (int32_t i = 1; i <= items.size(); ++i) {
    if (rt::CompareTextRaw(items.At(i), text.get()) == 0) return i;
  }
  return -1;
}

rt::Text DistinctJoin(rt::TextRef text, rt::TextRef separator) {
  rt::TextArray pieces = rt::SplitText(text, separator);
  rt::TextArray seen;
  rt::Text output;
  for (int32_t i = 1; i <= pieces.size(); ++i) {
    const char* piece = pieces.At(i);
    if (IndexOfText(seen, piece) != -1) continue;
    seen.Append(piece);
    output = rt::ConcatTexts({output, piece, separator});
  }
  return DropLast(output, rt::TextLength(separator.get() ? separator.get() : ""));
}

rt::Text MergeCookies(rt::Text& old_cookies, rt::Text& new_cookies) {
  old_cookies = rt::RemoveSpaces(old_cookies);
  new_cookies = rt::RemoveSpaces(new_cookies);
  rt::TextArray old_items = rt::SplitText(old_cookies, ";");
  rt::TextArray merged = rt::SplitText(new_cookies, ";");
  for (int32_t i = 1; i <= old_items.size(); ++i) {
    const char* item = old_items.At(i);
    if (!HasCookieNamed(merged, CookieName(item))) merged.Append(item);
  }
  rt::Text joined;
  for (int32_t i = 1; i <= merged.size(); ++i) {
    const char* item = merged.At(i);
    if (rt::CompareTextRaw(rt::TextRight(item, 8).get(), "=deleted") == 0) continue;
    joined = rt::ConcatTexts({joined, item, "; "});
  }
  joined = DropLast(joined, 2);
  old_cookies = DistinctJoin(joined, "; ");
  return rt::Text::Copy(old_cookies.view());
}

}  // namespace http
