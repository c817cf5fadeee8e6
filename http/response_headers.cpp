#include "http/response_headers.h"

#include "http/cookies.h"
#include "runtime/app_routines.h"
#include "runtime/core_commands.h"
#include "runtime/text_between.h"

namespace http {
namespace {

constexpr int32_t kStatusStart = 10;  // after "HTTP/x.y "

// The cookie of one Set-Cookie line: up to its first ";" when it has
// attributes, else the whole value.
rt::Text CookieOfLine(const char* line) {
  if (rt::FindText(line, ";") != -1) return rt::TextBetween(line, "Set-Cookie:", ";");
  return rt::ReplaceText(line, "Set-Cookie:");
}

}  // namespace

rt::Text StatusFromHeaders(rt::TextRef headers) {
  int32_t line_end = rt::FindText(headers, "\r\n", kStatusStart);
  if (line_end == -1) return {};
  return rt::TextMiddle(headers, kStatusStart, line_end - kStatusStart);
}

void ProcessResponseHeaders(rt::TextRef headers, ResponseHeaderFields& fields, rt::Text* cookies) {
  fields.status = StatusFromHeaders(headers);
  fields.response_headers = rt::ReplaceText(headers, "Set-Cookie", rt::TextRef("Set-Cookie"),
                                            std::nullopt, std::nullopt, false);
  rt::TextArray lines = rt::SplitText(fields.response_headers, "\r\n");
  for (int32_t i = 1; i <= lines.size(); ++i) {
    const char* line = lines.At(i);
    if (rt::FindText(line, "Set-Cookie") != -1) {
      fields.new_cookies =
          rt::ConcatTexts({fields.new_cookies, rt::TrimSpaces(CookieOfLine(line)), "; "});
    }
    if (rt::CompareText(rt::TextLeft(line, 10), "Location: ", false) == 0) {
      fields.location = rt::TextMiddle(line, 11, rt::TextByteLength(line));
    }
    rt::ProcessPendingEvents();
  }
  fields.new_cookies =
      rt::TextLeft(fields.new_cookies, rt::TextByteLength(fields.new_cookies.get()) - 2);
  if (cookies) MergeCookies(*cookies, fields.new_cookies);
}

}  // namespace http
