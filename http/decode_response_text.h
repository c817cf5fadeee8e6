// The last stage of the request routine: the response body as text, decoded
// again by the charset its HTML declares when that is not the local one.
#pragma once

#include "regex/regex_object.h"
#include "runtime/owned.h"

namespace http {

// The pattern that finds a declared charset; its first group is the name.
inline constexpr const char* kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
// How much of the page the charset declaration must lie within.
inline constexpr int32_t kCharsetWindow = 1024;

// The body up to its first NUL byte as GBK text, unless the first 1024 bytes
// declare a charset other than "gbk" or "gb2312" (exact case): then the whole
// body decoded from that charset through the "Adodb.Stream" object (empty
// when the stream cannot decode it). `regex` is the request's own instance.
rt::Text DecodeResponseText(rt::ByteSetRef body, regex::Regex& regex);

}  // namespace http
