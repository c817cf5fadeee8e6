#include "http/decode_response_text.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "runtime/automation_owned.h"
#include "runtime/core_commands.h"
#include "runtime/platform_functions.h"

namespace http {
namespace {

using rt::ValueRecord;

// The local code page's own names, compared byte for byte.
bool IsLocalCharset(std::string_view name) {
  return name == "gbk" || name == "gb2312";
}

// The body decoded from `charset` by the stream object; `text` stays as it is
// when the object cannot be created.
void DecodeThroughStream(rt::ByteSetRef body, const rt::Text& charset, rt::Text& text) {
  rt::ComObject stream;
  if (!stream.Create("Adodb.Stream")) return;
  rt::Variant bytes;
  bytes.Set(ValueRecord::ByteSet(body.get()));
  // Results are not examined: whatever ReadText yields becomes the text.
  stream.WriteProperty("Type", {ValueRecord::Int(1)});
  stream.WriteProperty("Mode", {ValueRecord::Int(3)});
  stream.CallMethod("Open");
  stream.CallMethod("Write", {bytes.RefArg()});
  stream.WriteProperty("Position", {ValueRecord::Int(0)});
  stream.WriteProperty("Type", {ValueRecord::Int(2)});
  stream.WriteProperty("Charset", {ValueRecord::Text(charset.get())});
  text = stream.CallTextMethod("ReadText");
  stream.CallMethod("Close");
  stream.Clear();
  bytes.Clear();
}

// The first bytes of the text that the charset declaration must lie within:
// what TextLeft would cut from the text, taken from the body itself so that a
// large body is not measured end to end for it.
rt::Text Head(rt::ByteSetRef body) {
  std::string_view bytes(reinterpret_cast<const char*>(rt::ByteSetBytes(body.get())),
                         std::min<size_t>(static_cast<size_t>(body.size()), kCharsetWindow));
  return rt::Text::Copy(bytes.substr(0, bytes.find('\0')));
}

// Whether `head` holds "<meta" in any letter case. Every match of the
// pattern begins so, and those five characters are ASCII, which GBK never
// uses inside a two-byte character: a head without them cannot match.
bool MentionsMeta(std::string_view head) {
  constexpr std::string_view kTag = "<meta";
  for (size_t at = head.find('<'); at != std::string_view::npos; at = head.find('<', at + 1)) {
    std::string_view candidate = head.substr(at, kTag.size());
    if (std::equal(candidate.begin(), candidate.end(), kTag.begin(), kTag.end(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
      return true;
  }
  return false;
}

}  // namespace

rt::Text DecodeResponseText(rt::ByteSetRef body, regex::Regex& regex) {
  rt::Text text = rt::ConvertToText(ValueRecord::ByteSet(body.get()));
  rt::CallPlatformFunction<rt::kCoInitialize>(nullptr);
  rt::Text head = Head(body);
  if (!MentionsMeta(head.view())) {
    // The search would find nothing; skipping its automation round trips
    // leaves the same text and the same pump as a search that ran.
    rt::ProcessPendingEvents();
  } else if (regex.Search(kCharsetPattern, head)) {
    rt::Text charset = regex.SubMatchText(1, 1);
    if (!charset.empty() && !IsLocalCharset(charset.view()))
      DecodeThroughStream(body, charset, text);
    rt::ProcessPendingEvents();
  }
  rt::CallPlatformFunction<rt::kCoUninitialize>();
  return text;
}

}  // namespace http
