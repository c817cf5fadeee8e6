// The request routine's charset sniffing (a RegexObject built, searched over
// a 1024-byte page head and destroyed) against one raw PCRE2 compile and
// match of the same pattern; and response decoding of a 1 MiB UTF-8 page
// against one direct ICU conversion to GBK.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <pcre2.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <string>

#include "bench/ratio_report.h"
#include "http/decode_response_text.h"
#include "regex/regex_object.h"
#include "runtime/gbk.h"
#include "runtime/wide_text.h"

namespace {

// A page head as portals serve it: scripts and links before the declaration.
std::string PageHead(std::string_view charset, bool gbk) {
  std::string head =
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/quote.css\" />\n"
      "<script type=\"text/javascript\" src=\"/js/jquery.min.js\"></script>\n"
      "<script type=\"text/javascript\">var hq_str = \"\"; var refresh = 5000;</script>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
  head += charset;
  head += "\" />\n<title>";
  std::string title = "浦发银行(600000) 股票价格_行情_走势图";
  head += gbk ? rt::Utf8ToGbk(title) : title;
  head +=
      "</title>\n<meta name=\"keywords\" content=\"quote,chart,600000\" />\n"
      "<meta name=\"description\" content=\"real-time quotes and charts\" />\n";
  while (head.size() < 1024)
    head += "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/page.css\" />\n";
  head.resize(1024);
  return head;
}

const std::string& GbkHead() {
  static const std::string head = PageHead("gbk", true);
  return head;
}

void OursSearch() {
  regex::Regex regex;
  if (regex.Search(http::kCharsetPattern, GbkHead()))
    benchmark::DoNotOptimize(regex.SubMatchText(1, 1).get());
}

void RawPcre2Search() {
  static const std::u16string pattern(u"<meta.+?charset=[^\\w]?([-\\w]+)");
  static const rt::ByteSet wide = rt::AnsiToWide(GbkHead());
  int error;
  PCRE2_SIZE offset;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_CASELESS, &error, &offset, nullptr);
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(wide.data()),
                       static_cast<PCRE2_SIZE>(wide.size() / 2), 0, 0, data, nullptr);
  benchmark::DoNotOptimize(rc);
  pcre2_match_data_free(data);
  pcre2_code_free(code);
}

// About 1 MiB of UTF-8 page that declares its charset at the top.
const rt::ByteSet& Utf8Page() {
  static const rt::ByteSet page = [] {
    std::string text = PageHead("utf-8", false);
    std::string row = "<tr><td>600000</td><td>浦发银行</td><td>7.50</td><td>+0.67%</td></tr>\n";
    while (text.size() < (1u << 20)) text += row;
    return rt::ByteSet::Copy(text.data(), text.size());
  }();
  return page;
}

void OursDecode() {
  regex::Regex regex;
  benchmark::DoNotOptimize(http::DecodeResponseText(Utf8Page(), regex).get());
}

void IcuDecode() {
  const rt::ByteSet& page = Utf8Page();
  std::string out(static_cast<size_t>(page.size()) * 2 + 1, '\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t n =
      ucnv_convert("windows-936-2000", "UTF-8", out.data(), static_cast<int32_t>(out.size()),
                   reinterpret_cast<const char*>(page.data()), page.size(), &error);
  benchmark::DoNotOptimize(n);
}

// The same decoding through UTF-16, as the stream's text interface must go:
// ICU's own UTF-8 path into UTF-16 (the stream's decoder for UTF-8), then the
// GBK converter, each into a buffer of the bound's size. How much of the gap
// to the direct conversion is that step alone, and the fair floor for ours.
void IcuDecodeThroughUtf16() {
  static UConverter* gbk = [] {
    UErrorCode error = U_ZERO_ERROR;
    return ucnv_open("windows-936-2000", &error);
  }();
  const rt::ByteSet& page = Utf8Page();
  std::u16string wide(static_cast<size_t>(page.size()) + 1, u'\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t units = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                       &units, reinterpret_cast<const char*>(page.data()), page.size(), 0xFFFD,
                       nullptr, &error);
  std::string out(static_cast<size_t>(units) * 2 + 1, '\0');
  error = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(gbk, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(wide.data()), units, &error);
  benchmark::DoNotOptimize(n);
}

void BM_RegexSearch(benchmark::State& state) {
  for (auto _ : state) OursSearch();
}
void BM_RawPcre2Search(benchmark::State& state) {
  for (auto _ : state) RawPcre2Search();
}
void BM_DecodeResponseText(benchmark::State& state) {
  for (auto _ : state) OursDecode();
}
void BM_IcuDecode(benchmark::State& state) {
  for (auto _ : state) IcuDecode();
}
BENCHMARK(BM_RegexSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawPcre2Search)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeResponseText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IcuDecode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Keep megabyte buffers on the heap for both sides, so page faults from fresh
  // mappings do not swing the figures: the decoding's blocks of different
  // sizes would otherwise keep the allocator's mapping threshold below the
  // next request and map every one afresh.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  Utf8Page();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  bench::ReportRatio("RegexSearch", bench::TimePaired(OursSearch, RawPcre2Search, 15, 50).Ratio(),
                     3);
  bench::ReportRatio("DecodeResponseText", bench::TimePaired(OursDecode, IcuDecode).Ratio(), -1);
  bench::ReportRatio("DecodeResponseTextVsIcuThroughUtf16",
                     bench::TimePaired(OursDecode, IcuDecodeThroughUtf16).Ratio(), 1.2);
  return 0;
}
