// The last stage of the request routine: the response body as text, decoded
// again by the charset its HTML declares when that is not the local one.
#pragma once

#include <optional>
#include <string_view>

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

// The same decision for a body held in another form: the text the stream
// made of it when its first 1024 bytes declare a foreign charset, or nothing
// when the body is to be taken as local text as it is (no declaration, a
// local charset, or no stream object). `bytes` are the body's bytes, `body`
// its byte set when the caller has one, else null: a byte set for the stream
// is then made only when the stream runs.
std::optional<rt::Text> DecodeDeclaredCharset(std::string_view bytes, rt::ByteSetRef body,
                                              regex::Regex& regex);

}  // namespace http
