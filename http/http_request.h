// HttpRequest: the application's one routine for fetching a URL. It drives
// the WinHTTP functions of the platform table step by step, sends the default
// request headers and the caller's cookies, collects the cookies and redirect
// target of the answer and returns its body as GBK text, decoded again when
// the page declares another charset. It never raises: a failing step leaves a
// numbered message in `status` and the result is the empty text.
#pragma once

#include <cstdint>

#include "runtime/owned.h"

namespace http {

// The seventeen parameters in their order. Omitted inputs read as zero, false
// or the empty text. Out-parameters are the caller's variables, written
// whether given or not (null: the routine writes a variable of its own).
struct HttpRequestArgs {
  rt::TextRef url{};
  int32_t method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET
  rt::TextRef post_data{};
  // In and out. Null means omitted, which switches the platform's own cookie
  // handling off. A variable, even an empty one, leaves it on, is sent in a
  // Cookie line when not empty and receives the merged cookie list.
  rt::Text* cookies = nullptr;
  rt::Text* new_cookies = nullptr;  // appended to: pass an empty variable
  rt::TextRef extra_headers{};      // each line ending in CR LF
  rt::Text* response_headers = nullptr;
  bool no_redirect = false;
  rt::TextRef user{};
  rt::TextRef password{};
  rt::TextRef proxy{};  // host:port; empty: direct
  rt::TextRef proxy_user{};
  rt::TextRef proxy_password{};
  int32_t timeout_seconds = 0;   // 0 or less: 30 seconds
  rt::Text* location = nullptr;  // unchanged when the answer has no Location line
  rt::Text* status = nullptr;    // "200 OK", or a failure message 700 to 713
  rt::ByteSet* body = nullptr;   // the raw body, copied out only for a caller that gives it
};

// Re-entrant and callable from any thread: every call has its own session.
rt::Text HttpRequest(const HttpRequestArgs& args);

// The form the application uses: a GET of `url`, the body text or "".
rt::Text HttpRequest(rt::TextRef url);

}  // namespace http
