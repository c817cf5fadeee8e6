#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "kernel32.h"

namespace {

// Converts the way callers do: a size query, then the conversion of the same input.
std::u16string ToWide(std::string_view bytes, UINT code_page = CP_GBK) {
  int length = static_cast<int>(bytes.size());
  int needed = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  int written = MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(), needed);
  EXPECT_EQ(written, needed);
  return wide;
}

std::string ToBytes(std::u16string_view wide, DWORD flags = 0, UINT code_page = CP_GBK) {
  int length = static_cast<int>(wide.size());
  int needed =
      WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(needed), '\0');
  int written = WideCharToMultiByte(code_page, flags, wide.data(), length, bytes.data(), needed,
                                    nullptr, nullptr);
  EXPECT_EQ(written, needed);
  return bytes;
}

TEST(CodePage936Test, WindowsOnlyCodesDecodeAndEncode) {
  EXPECT_EQ(ToWide("\x80"), u"\u20AC");
  EXPECT_EQ(ToWide("\xFF"), u"\uF8F5");
  EXPECT_EQ(ToWide("\xAA\xA1"), u"\uE000");
  EXPECT_EQ(ToWide("\xF8\xA1"), u"\uE234");
  EXPECT_EQ(ToWide("\xA1\x40"), u"\uE4C6");
  EXPECT_EQ(ToBytes(u"\u20AC"), "\x80");
  EXPECT_EQ(ToBytes(u"\uF8F5"), "\xFF");
  EXPECT_EQ(ToBytes(u"\uE000\uE234\uE4C6"), "\xAA\xA1\xF8\xA1\xA1\x40");
  EXPECT_EQ(ToWide("\xD6\xD0\xCE\xC4"
                   "a"),
            u"中文a");
  EXPECT_EQ(ToBytes(u"中文a"),
            "\xD6\xD0\xCE\xC4"
            "a");
}

TEST(CodePage936Test, MalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(ToWide("a\x81"), u"a?");  // lone lead byte at the end
  // A lead byte whose next byte cannot trail it takes that byte along...
  EXPECT_EQ(ToWide("\x81\x20"
                   "b"),
            u"?b");
  EXPECT_EQ(ToWide("\x81\x7F"
                   "b"),
            u"?b");
  EXPECT_EQ(ToWide("\x81\xFF"
                   "b"),
            u"?b");
  // ...but never a terminator.
  EXPECT_EQ(ToWide(std::string_view("\x81\x00"
                                    "b",
                                    3)),
            std::u16string(u"?\0b", 3));
  char16_t wide[4];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, MB_ERR_INVALID_CHARS, "a\x81", 2, wide, 4), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage936Test, MinusOneCountsTheTerminatorExplicitLengthsDoNot) {
  const char* text =
      "\xD6\xD0"
      "a";
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, 3, nullptr, 0), 2);
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, -1, wide, 4), 3);
  EXPECT_EQ(std::u16string_view(wide, 4), std::u16string_view(u"中a\0x", 4));
  wide[2] = u'x';
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text, 3, wide, 4), 2);
  EXPECT_EQ(wide[2], u'x');  // no terminator added

  const char16_t* source = u"中a";
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, source, -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, source, 2, nullptr, 0, nullptr, nullptr), 3);
  char bytes[5] = "xxxx";
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, source, -1, bytes, 5, nullptr, nullptr), 4);
  EXPECT_EQ(std::string_view(bytes, 4), std::string_view("\xD6\xD0"
                                                         "a\0",
                                                         4));
}

TEST(CodePage936Test, ShortBuffersAndBadArgumentsFail) {
  char16_t wide[1];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, wide, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  // The same after a size query of that input.
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, nullptr, 0), 2);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, wide, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char bytes[1];
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"中", 1, bytes, 1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 0, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "ab", 2, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, "ab", 2, nullptr, 4), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"a", -2, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80", 1, nullptr, 0), 1);  // the ACP is 936
}

TEST(CodePage936Test, UnmappableCharactersGetBestFitOrDefault) {
  EXPECT_EQ(ToBytes(u"\u00B2"), "2");
  EXPECT_EQ(ToBytes(u"\u00B2", WC_NO_BEST_FIT_CHARS), "?");
  EXPECT_EQ(ToBytes(u"a\xD800"
                    "b"),
            "a?b");                         // unpaired high surrogate
  EXPECT_EQ(ToBytes(u"a\xDC00"), "a?");     // unpaired low surrogate
  EXPECT_EQ(ToBytes(u"\U0001F600"), "??");  // one per UTF-16 unit

  BOOL used = FALSE;
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"x\xD800", 2, bytes, 8, "*", &used), 2);
  EXPECT_EQ(std::string_view(bytes, 2), "x*");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\u00B2", 1, bytes, 8, nullptr, &used), 1);
  EXPECT_FALSE(used);  // a best fit is no default character
  // The flag survives the size query's cache.
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\xD800", 1, nullptr, 0, nullptr, nullptr), 1);
  used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\xD800", 1, bytes, 8, nullptr, &used), 1);
  EXPECT_TRUE(used);
}

TEST(CodePage936Test, CompositeCheckJoinsBaseAndMark) {
  EXPECT_EQ(ToBytes(u"e\u0301", WC_COMPOSITECHECK), "\xA8\xA6");
  EXPECT_EQ(ToBytes(u"caf"
                    "e\u0301!",
                    WC_COMPOSITECHECK),
            "caf\xA8\xA6!");
  std::string separate = ToBytes(u"e\u0301");
  EXPECT_EQ(separate.size(), 2u);
  EXPECT_EQ(separate[0], 'e');
  // Only marks are joined: a compatibility ideograph keeps its own code.
  EXPECT_EQ(ToBytes(u"\uFA0C", WC_COMPOSITECHECK), "\xFE\x40");
  // A mark at the start has nothing to join.
  EXPECT_EQ(ToBytes(u"\u0301a", WC_COMPOSITECHECK), ToBytes(u"\u0301a"));
}

TEST(CodePage936Test, Utf8IsServedToo) {
  EXPECT_EQ(ToWide("\xE4\xB8\xAD", CP_UTF8), u"中");
  EXPECT_EQ(ToBytes(u"中", 0, CP_UTF8), "\xE4\xB8\xAD");
  EXPECT_EQ(ToBytes(u"a\xD800", 0, CP_UTF8), "a\xEF\xBF\xBD");
  BOOL used;
  char bytes[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Every two-byte code of the table, in one large text, through both directions.
std::string AllTwoByteCodes() {
  std::string text;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      text += static_cast<char>(lead);
      text += static_cast<char>(trail);
    }
  }
  return text;
}

TEST(CodePage936Test, LargeTextRoundTrips) {
  std::string text = AllTwoByteCodes();
  std::u16string wide = ToWide(text);
  EXPECT_EQ(wide.size(), text.size() / 2);
  EXPECT_EQ(wide.find(u'?'), std::u16string::npos);
  EXPECT_EQ(ToBytes(wide), text);
  EXPECT_EQ(ToBytes(wide, WC_COMPOSITECHECK), text);
}

TEST(CodePage936Test, ConversionAfterSizeQuerySeesChangedInput) {
  // Same address and length, different bytes: the size query's result must not be reused.
  std::string text = "\xD6\xD0\xCE\xC4";
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, text.data(), 4, nullptr, 0), 2);
  text[2] = 'a';
  text[3] = 'b';
  char16_t wide[3] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text.data(), 4, wide, 3), 3);
  EXPECT_EQ(std::u16string_view(wide, 3), u"中ab");

  std::u16string source = u"中文";
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, source.data(), 2, nullptr, 0, nullptr, nullptr), 4);
  source[1] = u'b';
  char bytes[4] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, source.data(), 2, bytes, 4, nullptr, nullptr), 3);
  EXPECT_EQ(std::string_view(bytes, 3),
            "\xD6\xD0"
            "b");
  // The same for NUL-terminated input, whose length the conversion finds while
  // it compares: a change near the end of a text longer than one block of
  // that comparison, a shorter text and a longer one.
  std::string base;
  for (int i = 0; i < 3000; ++i) base += "\xD6\xD0";
  auto convert_after_query = [&base](void (*edit)(std::string&)) {
    std::string buffer = base + std::string(8, '\0');  // room to grow
    EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, buffer.data(), -1, nullptr, 0), 3001);
    edit(buffer);
    std::u16string out(4000, u'x');
    int count = MultiByteToWideChar(CP_GBK, 0, buffer.data(), -1, out.data(), 4000);
    out.resize(static_cast<size_t>(count));
    return out;
  };
  std::u16string changed = convert_after_query([](std::string& b) { b.replace(5998, 2, "ab"); });
  EXPECT_EQ(changed.substr(2998), std::u16string(u"中ab\0", 4));
  EXPECT_EQ(convert_after_query([](std::string& b) { b[4] = '\0'; }), std::u16string(u"中中\0", 3));
  std::u16string longer = convert_after_query([](std::string& b) { b[6000] = 'z'; });
  EXPECT_EQ(longer.size(), 3002u);
  EXPECT_EQ(longer.substr(2999), std::u16string(u"中z\0", 3));
  // A query of an explicit length with a NUL inside is not the text's: the
  // conversion stops at that NUL.
  std::string inner("\xD6\xD0\0\xCE\xC4", 5);
  ASSERT_EQ(MultiByteToWideChar(CP_GBK, 0, inner.data(), 5, nullptr, 0), 3);
  char16_t to_nul[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, inner.data(), -1, to_nul, 4), 2);
  EXPECT_EQ(std::u16string_view(to_nul, 2), std::u16string_view(u"中\0", 2));
  // Different flags after the query convert afresh as well.
  ASSERT_EQ(WideCharToMultiByte(CP_GBK, 0, u"\u00B2", 1, nullptr, 0, nullptr, nullptr), 1);
  EXPECT_EQ(
      WideCharToMultiByte(CP_GBK, WC_NO_BEST_FIT_CHARS, u"\u00B2", 1, bytes, 4, nullptr, nullptr),
      1);
  EXPECT_EQ(bytes[0], '?');
}

TEST(CodePage936Test, ThreadsConvertIndependently) {
  std::string large = AllTwoByteCodes();
  auto work = [&large](std::string text, int rounds, bool* ok) {
    for (int i = 0; i < rounds; ++i) {
      // Interleave a large conversion so the threads' caches would clash if shared.
      if (ToBytes(ToWide(text)) != text) return;
      if (i % 8 == 0 && ToWide(large).size() != large.size() / 2) return;
    }
    *ok = true;
  };
  bool ok_a = false, ok_b = false;
  std::thread a(work, std::string("\xD6\xD0\xCE\xC4 abc \x80"), 200, &ok_a);
  std::thread b(work, std::string("\xAA\xA1 xyz \xFF"), 200, &ok_b);
  a.join();
  b.join();
  EXPECT_TRUE(ok_a);
  EXPECT_TRUE(ok_b);
}

}  // namespace
