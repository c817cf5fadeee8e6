// The "Adodb.Stream" class as the response decoding drives it.
#include <gtest/gtest.h>

#include <string>

#include "ole32.h"
#include "runtime/automation_owned.h"
#include "runtime/last_call_status.h"
#include "tests/support/gbk_literals.h"
#include "tests/support/wine_difference.h"

namespace {

using rt::ComObject;
using rt::ValueRecord;

class StreamObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(stream_.Create("Adodb.Stream"));
  }
  void TearDown() override {
    stream_.Clear();
    CoUninitialize();
  }

  // Under Wine the object is made but none of its members can be bound:
  // true, after checking that this is so, when the test has to end there.
  bool UnboundUnderWine() {
    if (!test::KnownWineDifference(test::wine::kStreamUnbound)) return false;
    EXPECT_FALSE(stream_.WriteProperty("Type", {ValueRecord::Int(1)}));
    EXPECT_EQ(rt::LastCallStatus(), rt::status::NoTypeInfo);
    return true;
  }

  // Writes the bytes in binary mode and rewinds, leaving the stream open.
  void Load(std::string_view bytes) {
    rt::Variant buffer;
    rt::ByteSet set = rt::ByteSet::Copy(bytes.data(), bytes.size());
    buffer.Set(ValueRecord::ByteSet(set.get()));
    stream_.WriteProperty("Type", {ValueRecord::Int(1)});
    stream_.WriteProperty("Mode", {ValueRecord::Int(3)});
    stream_.CallMethod("Open");
    stream_.CallMethod("Write", {buffer.RefArg()});
    ASSERT_EQ(rt::LastCallStatus(), rt::status::Success);
    stream_.WriteProperty("Position", {ValueRecord::Int(0)});
  }

  // The bytes read back as text in `charset`, as GBK.
  std::string Decode(std::string_view bytes, const char* charset) {
    Load(bytes);
    stream_.WriteProperty("Type", {ValueRecord::Int(2)});
    stream_.WriteProperty("Charset", {ValueRecord::Text(charset)});
    std::string text = stream_.CallTextMethod("ReadText").str();
    stream_.CallMethod("Close");
    return text;
  }

  ComObject stream_;
};

TEST_F(StreamObjectTest, DecodesTheCommonCharsetsIntoLocalText) {
  if (UnboundUnderWine()) return;
  const std::string gbk = test::Gbk("浦发银行 7.50");
  EXPECT_EQ(Decode("\xE6\xB5\xA6\xE5\x8F\x91\xE9\x93\xB6\xE8\xA1\x8C 7.50", "utf-8"), gbk);
  EXPECT_EQ(Decode(gbk, "GBK"), gbk);  // names match whatever their case
  EXPECT_EQ(Decode(gbk, "x-gbk"), gbk);
  EXPECT_EQ(Decode(std::string("\x66\x6D\x00\x4E", 4), "unicode"), test::Gbk("浦一"));
  EXPECT_EQ(Decode(std::string("\x6D\x66\x4E\x00", 4), "unicodeFFFE"), test::Gbk("浦一"));
  EXPECT_EQ(Decode("\xA4\xA4\xA4\xE5", "big5"), test::Gbk("中文"));
  // Pages that say iso-8859-1 mean windows-1252: 0x80 is the euro sign.
  EXPECT_EQ(Decode("\x80", "iso-8859-1"), "\x80");
  EXPECT_EQ(Decode("\xE9", "latin1"), test::Gbk("é"));
  // A name only ICU knows still decodes.
  EXPECT_EQ(Decode("\xD6\xD0", "euc-cn"), test::Gbk("中"));
}

TEST_F(StreamObjectTest, DropsALeadingByteOrderMark) {
  if (UnboundUnderWine()) return;
  EXPECT_EQ(Decode("\xEF\xBB\xBF"
                   "ab",
                   "utf-8"),
            "ab");
  EXPECT_EQ(Decode(std::string("\xFF\xFE"
                               "a\0",
                               4),
                   "unicode"),
            "a");
  // Only at the start.
  EXPECT_EQ(Decode("a\xEF\xBB\xBF", "utf-8"), "a?");
}

TEST_F(StreamObjectTest, UndecodableBytesBecomeSubstitutes) {
  if (UnboundUnderWine()) return;
  // One substitute per maximal ill-formed part, which is '?' in GBK.
  const std::pair<std::string, std::string> cases[] = {
      {"a\xFF"
       "b",
       "a?b"},
      {"a\xC3", "a?"},  // cut off at the end
      {"\xE6\xB5"
       "a",
       "?a"},                                           // a three-byte start, then ASCII
      {"\xE6\xB5\xE6\xB5\xA6", "?" + test::Gbk("浦")},  // then a whole character
      {"\xC0\xAF", "??"},                               // overlong
      {"\xED\xA0\x80", "???"},                          // an encoded surrogate
      {"\xF4\x90\x80\x80", "????"},                     // beyond U+10FFFF
      {"\xF0\x9F\x98\x80", "??"},                       // U+1F600: two units, neither in GBK
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(Decode(bytes, "utf-8"), expected) << bytes;
}

TEST_F(StreamObjectTest, UnknownCharsetFailsTheWriteAndReadsEmpty) {
  if (UnboundUnderWine()) return;
  Load("abc");
  stream_.WriteProperty("Type", {ValueRecord::Int(2)});
  EXPECT_FALSE(stream_.WriteProperty("Charset", {ValueRecord::Text("no-such-charset")}));
  EXPECT_EQ(rt::LastCallStatus(), rt::status::Exception);
  EXPECT_EQ(stream_.CallTextMethod("ReadText").get(), nullptr);
  EXPECT_EQ(rt::LastCallStatus(), rt::status::Success);
}

TEST_F(StreamObjectTest, MisuseFailsAsAnException) {
  if (UnboundUnderWine()) return;
  rt::Variant buffer;
  rt::ByteSet set = rt::ByteSet::Copy("ab", 2);
  buffer.Set(ValueRecord::ByteSet(set.get()));
  stream_.CallMethod("Write", {buffer.Arg()});  // not open
  EXPECT_EQ(rt::LastCallStatus(), rt::status::Exception);

  Load("abcd");
  stream_.CallTextMethod("ReadText");  // binary mode
  EXPECT_EQ(rt::LastCallStatus(), rt::status::Exception);
  stream_.WriteProperty("Position", {ValueRecord::Int(2)});
  EXPECT_FALSE(stream_.WriteProperty("Type", {ValueRecord::Int(2)}));
  EXPECT_FALSE(stream_.WriteProperty("Position", {ValueRecord::Int(5)}));  // past the end
  EXPECT_FALSE(stream_.WriteProperty("Mode", {ValueRecord::Int(1)}));      // while open

  // Text mode reads from the position.
  stream_.WriteProperty("Position", {ValueRecord::Int(0)});
  stream_.WriteProperty("Type", {ValueRecord::Int(2)});
  stream_.WriteProperty("Charset", {ValueRecord::Text("us-ascii")});
  stream_.CallMethod("Write", {buffer.Arg()});  // text mode
  EXPECT_EQ(rt::LastCallStatus(), rt::status::Exception);
  EXPECT_EQ(stream_.CallTextMethod("ReadText").str(), "abcd");
  EXPECT_EQ(stream_.ReadNumberProperty("Position"), 4.0);
}

}  // namespace
