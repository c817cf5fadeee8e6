#include "http/decode_response_text.h"

#include <gtest/gtest.h>

#include <string>

#include "ole32_state.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/wine_difference.h"
#ifndef _WIN32
#include "ole32_classes.h"
#include "stream_class.h"
#endif

namespace {

using test::Gbk;

// Our platform's class registry lets a test count the streams made; the
// system's registry has no such seam.
#ifndef _WIN32
// Stands in for the built-in "Adodb.Stream" class while it lives, making the
// same objects and counting them.
int streams_made = 0;
HRESULT MakeCountedStream(REFIID iid, void** object) {
  ++streams_made;
  return platform::CreateStreamObject(iid, object);
}
platform::FunctionClassFactory counted_streams(MakeCountedStream);
platform::FunctionClassFactory plain_streams(platform::CreateStreamObject);

struct CountedStreams {
  CountedStreams() { Use(&counted_streams); }
  ~CountedStreams() { Use(&plain_streams); }
  static void Use(IClassFactory* factory) {
    platform::UnregisterClassFactory(platform::CLSID_Stream);
    platform::RegisterClassFactory(u"Adodb.Stream", platform::CLSID_Stream, factory);
  }
};
#endif

std::string Decode(std::string_view body) {
  regex::Regex regex;
  rt::ByteSet bytes = rt::ByteSet::Copy(body.data(), body.size());
  return http::DecodeResponseText(bytes, regex).str();
}

std::string Page(std::string_view meta, std::string_view text) {
  return "<html><head>" + std::string(meta) + "</head><body>" + std::string(text) +
         "</body></html>";
}

const char kUtf8Name[] = "\xE6\xB5\xA6\xE5\x8F\x91\xE9\x93\xB6\xE8\xA1\x8C";  // 浦发银行

TEST(DecodeResponseText, DeclaredUtf8IsReDecodedIntoLocalText) {
  std::string page = Page("<meta charset=utf-8>", kUtf8Name);
  // Under Wine the declaration is never read, so the page stays as it came.
  if (test::KnownWineDifference(test::wine::kMatchesUntyped)) {
    EXPECT_EQ(Decode(page), page);
    return;
  }
  EXPECT_EQ(Decode(page), Page("<meta charset=utf-8>", Gbk("浦发银行")));
  // In capitals, with a quote before the name.
  std::string upper =
      Page("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET='UTF-8'\">", kUtf8Name);
  EXPECT_EQ(Decode(upper), Page("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                "CHARSET='UTF-8'\">",
                                Gbk("浦发银行")));
}

TEST(DecodeResponseText, LocalCharsetsAreReturnedAsReceived) {
#ifndef _WIN32
  CountedStreams counted;
  streams_made = 0;
#endif
  std::string gbk_page = Page("<meta charset=gbk>", Gbk("浦发银行"));
  EXPECT_EQ(Decode(gbk_page), gbk_page);
  std::string gb2312_page = Page("<meta charset=\"gb2312\">", Gbk("浦发银行"));
  EXPECT_EQ(Decode(gb2312_page), gb2312_page);
#ifndef _WIN32
  EXPECT_EQ(streams_made, 0);
#endif
  // Capitals go through the stream, which yields the same text.
  std::string capitals = Page("<meta charset=GBK>", Gbk("浦发银行"));
  EXPECT_EQ(Decode(capitals), capitals);
#ifndef _WIN32
  EXPECT_EQ(streams_made, 1);
#endif
}

TEST(DecodeResponseText, DeclarationsThePatternCannotSeeAreIgnored) {
  // Past the first 1024 bytes, or broken over two lines.
  std::string distant = std::string(1020, ' ') + "<meta charset=utf-8>" + kUtf8Name;
  EXPECT_EQ(Decode(distant), distant);
  std::string broken = std::string("<meta\ncharset=utf-8>") + kUtf8Name;
  EXPECT_EQ(Decode(broken), broken);
  // Plain text such as a quote answer.
  std::string quote = "v_s_sh600000=\"1~" + Gbk("浦发银行") + "~600000~7.50\";";
  EXPECT_EQ(Decode(quote), quote);
}

TEST(DecodeResponseText, BodyIsCutAtItsFirstNul) {
  std::string body("ab\0cd", 5);
  EXPECT_EQ(Decode(body), "ab");
  // A UTF-16 page ends at its first character: its declaration is never seen.
  std::string utf16;
  for (char c : std::string("<meta charset=utf-16>")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(Decode(utf16), "<");
}

TEST(DecodeResponseText, UnknownCharsetYieldsEmptyTextAndComStaysBalanced) {
  const int before = platform::CoInitializeDepthForThisThread();
  const std::string page = Page("<meta charset=klingon-8>", "abc");
  EXPECT_EQ(Decode(page),
            test::KnownWineDifference(test::wine::kMatchesUntyped) ? page : std::string());
  EXPECT_EQ(platform::CoInitializeDepthForThisThread(), before);
}

}  // namespace
