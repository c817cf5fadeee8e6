// Reading the response header block: status, normalised header text, the
// cookies the server set, the redirect target, and the cookie merge.
#pragma once

#include "runtime/owned.h"

namespace http {

struct ResponseHeaderFields {
  rt::Text status;            // code and reason phrase, e.g. "200 OK"
  rt::Text response_headers;  // the block with every "Set-Cookie" spelled so
  rt::Text new_cookies;       // appended to: callers start it empty
  rt::Text location;          // unchanged when the response has none
};

// The status text: position 10 of the block up to the first CR LF at or after it.
rt::Text StatusFromHeaders(rt::TextRef headers);

// Processes the header block `headers` (GBK): fills `fields` and, when the caller
// gave cookies (`cookies` not null), merges the new cookies into them. Pending
// window events are processed after each line.
void ProcessResponseHeaders(rt::TextRef headers, ResponseHeaderFields& fields, rt::Text* cookies);

}  // namespace http
