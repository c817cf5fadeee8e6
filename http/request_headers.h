// The request header block: the caller's lines, the default lines it lacks and
// the cookie line.
#pragma once

#include "runtime/owned.h"

namespace http {

// `extra_headers` is taken unchanged (each of its lines must end in CR LF); a
// default line is appended when its name occurs nowhere in the text so far
// (case-insensitive); "Cookie: " and `cookies` follow when no cookie line is
// there and `cookies` is not empty.
rt::Text BuildRequestHeaders(rt::TextRef extra_headers, rt::TextRef cookies);

}  // namespace http
