#include "http/decode_response_text.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "runtime/automation_owned.h"
#include "runtime/blocks.h"
#include "runtime/core_commands.h"
#include "runtime/platform_functions.h"

namespace http {
namespace {

using rt::ValueRecord;

// The local code page's own names, compared byte for byte.
bool IsLocalCharset(std::string_view name) {
  return name == "gbk" || name == "gb2312";
}

// The body decoded from `charset` by the stream object, or nothing when the
// object cannot be created.
std::optional<rt::Text> DecodeThroughStream(std::string_view bytes, rt::ByteSetRef body,
                                            const rt::Text& charset) {
  rt::ComObject stream;
  if (!stream.Create("Adodb.Stream")) return std::nullopt;
  rt::ByteSet own_body;
  if (!body.get() && !bytes.empty()) {
    own_body = rt::ByteSet::Copy(bytes.data(), bytes.size());
    body = own_body;
  }
  rt::Variant variant;
  variant.Set(ValueRecord::ByteSet(body.get()));
  // The variant holds its own copy of the bytes now.
  own_body.reset();
  // Results are not examined: whatever ReadText yields becomes the text.
  stream.WriteProperty("Type", {ValueRecord::Int(1)});
  stream.WriteProperty("Mode", {ValueRecord::Int(3)});
  stream.CallMethod("Open");
  stream.CallMethod("Write", {variant.RefArg()});
  stream.WriteProperty("Position", {ValueRecord::Int(0)});
  stream.WriteProperty("Type", {ValueRecord::Int(2)});
  stream.WriteProperty("Charset", {ValueRecord::Text(charset.get())});
  rt::Text text = stream.CallTextMethod("ReadText");
  stream.CallMethod("Close");
  stream.Clear();
  variant.Clear();
  return text;
}

// The first bytes of the body that the charset declaration must lie within,
// up to the first NUL, as text: what TextLeft would cut from the body's text,
// taken from the body itself so that a large body is not measured end to end
// for it.
rt::Text Head(std::string_view bytes) {
  bytes = bytes.substr(0, kCharsetWindow);
  return rt::Text::Copy(bytes.substr(0, bytes.find('\0')));
}

// The body's bytes and a NUL as a text, which ends at the first NUL byte
// without a search for it (null when that leaves nothing).
rt::Text LocalText(std::string_view bytes) {
  if (bytes.empty() || bytes.front() == '\0') return {};
  return rt::Text(rt::NewTextBlock(bytes));
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
  std::string_view bytes(reinterpret_cast<const char*>(rt::ByteSetBytes(body.get())),
                         static_cast<size_t>(body.size()));
  std::optional<rt::Text> decoded = DecodeDeclaredCharset(bytes, body, regex);
  return decoded ? std::move(*decoded) : LocalText(bytes);
}

std::optional<rt::Text> DecodeDeclaredCharset(std::string_view bytes, rt::ByteSetRef body,
                                              regex::Regex& regex) {
  std::optional<rt::Text> decoded;
  rt::CallPlatformFunction<rt::kCoInitialize>(nullptr);
  rt::Text head = Head(bytes);
  if (!MentionsMeta(head.view())) {
    // The search would find nothing; skipping its automation round trips
    // leaves the same text and the same pump as a search that ran.
    rt::ProcessPendingEvents();
  } else if (regex.Search(kCharsetPattern, head)) {
    rt::Text charset = regex.SubMatchText(1, 1);
    if (!charset.empty() && !IsLocalCharset(charset.view()))
      decoded = DecodeThroughStream(bytes, body, charset);
    rt::ProcessPendingEvents();
  }
  rt::CallPlatformFunction<rt::kCoUninitialize>();
  return decoded;
}

}  // namespace http
